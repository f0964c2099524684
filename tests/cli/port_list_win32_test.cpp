// tavctl ports on Windows: COM ports entered in the registry's serial device
// map appear with their device paths; names Windows does not know show "-".
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>

#include "cli/port_list.h"

namespace tav::cli {
namespace {

const wchar_t kMap[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

class SerialDeviceMap : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMap, 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        for (const std::wstring& name : added_) {
            RegDeleteValueW(key_, name.c_str());
        }
        RegCloseKey(key_);
    }
    void Add(const std::wstring& device, const std::wstring& com) {
        ASSERT_EQ(RegSetValueExW(key_, device.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(com.c_str()),
                                 static_cast<DWORD>((com.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        added_.push_back(device);
    }

    HKEY key_ = nullptr;
    std::vector<std::wstring> added_;
};

TEST_F(SerialDeviceMap, ListsThePortsWindowsKnows) {
    Add(L"\\Device\\TavTestA", L"COM12");
    Add(L"\\Device\\TavTestB", L"com21");
    const std::string text = FormatPortList(PlatformPortResolver(), false);
    const struct {
        std::string line;
        bool listed;
    } rows[] = {
        {"COM12  \\\\.\\COM12\n", true},
        {"COM13  -\n", true},
        {"COM21  \\\\.\\COM21\n", true},  // beyond COM15: after the fixed names
        {"COM22", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(text.find(row.line) != std::string::npos, row.listed) << row.line << text;
    }
    EXPECT_LT(text.find("COM15"), text.find("COM21"));

    const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(FormatPortList(
                                                        PlatformPortResolver(), true)))
                                .array();
    ASSERT_GE(list.size(), 16);
    EXPECT_EQ(list[11].toObject()["device"].toString(), "\\\\.\\COM12");
    EXPECT_TRUE(list[12].toObject()["device"].isNull());
}

}  // namespace
}  // namespace tav::cli
