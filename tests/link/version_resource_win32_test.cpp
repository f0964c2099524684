// Every Windows program carries a version resource with the product, the
// project's version, the company and a description of its own: this test
// program reads its own and each program's built beside it.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), n);
    return w;
}

std::string Narrow(const wchar_t* w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
}

struct VersionStrings {
    std::string product, version, fileVersion, company, description;
    DWORD fixedMajor = 0, fixedMinor = 0;
};

// The version resource of `file`, as Explorer reads it; false when there is none.
bool ReadVersion(const std::wstring& file, VersionStrings* out) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) {
        return false;
    }
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) {
        return false;
    }
    const auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        return VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value),
                              &length) &&
                       value != nullptr
                   ? Narrow(value)
                   : std::string();
    };
    out->product = text(L"ProductName");
    out->version = text(L"ProductVersion");
    out->fileVersion = text(L"FileVersion");
    out->company = text(L"CompanyName");
    out->description = text(L"FileDescription");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        out->fixedMajor = HIWORD(fixed->dwProductVersionMS);
        out->fixedMinor = LOWORD(fixed->dwProductVersionMS);
    }
    return true;
}

TEST(VersionResource, EveryProgramSaysTheProjectsVersion) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<std::wstring> files = {self};
    std::stringstream programs(TAV_PROGRAM_FILES);
    for (std::string file; std::getline(programs, file, '|');) {
        if (!file.empty()) {
            files.push_back(Wide(file));
        }
    }
    std::stringstream version(TAV_VERSION);
    DWORD major = 0, minor = 0;
    char dot = 0;
    version >> major >> dot >> minor;
    for (const std::wstring& file : files) {
        SCOPED_TRACE(Narrow(file.c_str()));
        VersionStrings v;
        ASSERT_TRUE(ReadVersion(file, &v));
        EXPECT_EQ(v.product, "TAV-1000R");
        EXPECT_EQ(v.version, TAV_VERSION);
        EXPECT_EQ(v.fileVersion, TAV_VERSION);
        EXPECT_EQ(v.company, TAV_COMPANY);
        EXPECT_FALSE(v.description.empty());
        EXPECT_EQ(v.fixedMajor, major);
        EXPECT_EQ(v.fixedMinor, minor);
    }
}

}  // namespace
