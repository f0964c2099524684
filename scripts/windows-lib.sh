# Shared by the Windows scripts (test-windows.sh, package-windows.sh): the
# cross build against Qt for Windows and a Wine prefix to run it in.
# shellcheck shell=bash
# Source lib.sh first.

# windows_path PATH: PATH as a Windows program sees it (drive Z: is /).
windows_path() {
    # shellcheck disable=SC1003 # tr's '\\' is one backslash
    printf 'Z:%s' "$1" | tr / '\\'
}

# windows_prepare [--core]: installs what the Windows build and Wine need;
# sets `qt` to Qt for Windows (built once by qt-windows.sh; empty with
# --core), `wine` and `wineserver`.
windows_prepare() {
    need_packages g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 googletest \
        cmake ninja-build fonts-dejavu-core fonts-liberation qt6-translations-l10n qt6-l10n-tools \
        locales
    # Wine takes a program's display language from LANG, and only for a
    # locale the host has: tavctl's Polish is tried under pl_PL.UTF-8.
    if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
        as_root sed -i 's/^# *\(pl_PL\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^pl_PL\.UTF-8 UTF-8' /etc/locale.gen ||
            echo 'pl_PL.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null
    fi
    qt=
    if [ "${1:-}" != --core ]; then
        qt=$(bash "$(dirname "${BASH_SOURCE[0]}")/qt-windows.sh")
    fi
    # Debian's wine64 puts no "wine" on the PATH; its programs live here.
    wine=$(dpkg -L wine64 | grep '/wine64$' | head -n 1)
    wineserver=$(dirname "$wine")/wineserver
}

# windows_build ROOT OUT [TARGET...]: the native simulated receiver (the far
# end of the COM ports) under OUT/native, then the Windows programs and tests
# under OUT (without `qt`: the core layers and their tests only), warnings as
# errors. WINEPREFIX must be set (the tests run there).
windows_build() {
    local root=$1 out=$2
    shift 2
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$out/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAV_BUILD_UI=OFF -DTAV_BUILD_TESTS=OFF -DTAV_WARNINGS_AS_ERRORS=ON \
        "${launcher[@]}" >/dev/null
    cmake --build "$out/native" --target tav1000r-sim
    # The preset "windows" (CMakePresets.json) holds the fixed part.
    cmake --preset windows -S "$root" -B "$out" -DCMAKE_PREFIX_PATH="$qt" \
        -DTAV_BUILD_UI="$([ -n "$qt" ] && echo ON || echo OFF)" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=-all;$wine" \
        -DTAV_NATIVE_SIM="$out/native/sim/tav1000r-sim" -DTAV_WINEPREFIX="$WINEPREFIX" \
        "${launcher[@]}" >/dev/null
    cmake --build "$out" -j 2 ${1:+--target "$@"}
}

# wine_fresh_prefix: a new prefix at WINEPREFIX with its wine server kept
# running (each program then starts in a fraction of a second) until the
# shell exits; Arial, Courier New and Times New Roman are the Liberation
# fonts, which have their metrics; font smoothing is ClearType, as Windows
# sets it (with Wine's own settings its GDI drew the menus' 11-pixel
# Liberation Sans "Importuj" without its "I"); OUT/fonts holds the fonts
# for Qt's offscreen platform, which reads only that folder
# (WINEQT_QPA_FONTDIR).
wine_fresh_prefix() {
    local out=$1
    export WINEDEBUG=-all
    # No Mono or Gecko: nothing is fetched, and no dialog asks for them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # The server takes a pty as its controlling terminal and prints a long
    # dump when the pty's far end closes, hence its own log file.
    "$wineserver" -p >"$out/wineserver.log" 2>&1
    trap '"$wineserver" -k 2>/dev/null || true' EXIT
    # wineboot starts Wine's background services; started here, they keep its
    # log open and not the output pipes of a test that CTest waits on.
    "$wine" wineboot -i >"$out/wineboot.log" 2>&1
    cat >"$out/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"
"Times New Roman"="Liberation Serif"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"FontSmoothing"="2"
"FontSmoothingType"=dword:00000002
REG
    "$wine" regedit /S "$(windows_path "$out/fonts.reg")" >/dev/null 2>&1
    rm -rf "$out/fonts"
    mkdir -p "$out/fonts"
    cp /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf \
        /usr/share/fonts/truetype/liberation/Liberation*.ttf "$out/fonts/"
    # Wine hands a Windows program the variables named WINEQT_* as QT_*.
    WINEQT_QPA_FONTDIR=$(windows_path "$out/fonts")
    export WINEQT_QPA_FONTDIR
}

# windows_scratch: sets `work` (a scratch folder) and `pids` (background
# processes go there); when the shell exits those are stopped, the prefix's
# wine server too, and the folder is removed.
windows_scratch() {
    work=$(mktemp -d)
    pids=()
    trap windows_scratch_end EXIT
}
windows_scratch_end() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}

# msi_finish MSI: what wixl cannot write, written into the MSI with msibuild.
# The database becomes Windows-1250 and gets its Polish texts (wixl crashes on
# a letter outside Windows-1252; msibuild takes UTF-8 and stores it in the
# database's code page); the Environment row that puts the installation
# folder at the end of the system's PATH for the feature CommandLinePath, with
# the actions that write and remove it; an upgrade that also replaces an
# installed build of the same version (each build has a product code of its
# own); and the main feature marked as one that cannot be left out.
msi_finish() {
    local msi=$1 idt
    idt=$(mktemp -d)
    printf '\r\n\r\n1250\t_ForceCodepage\r\n' >"$idt/_ForceCodepage.idt"
    printf '%s\r\n' 'Environment	Name	Value	Component_' 's72	l255	L255	s72' \
        'Environment	Environment' >"$idt/Environment.idt"
    printf '%s\t%s\t%s\t%s\r\n' TavctlPath '=-*PATH' '[~];[INSTALLDIR]' CommandLinePath \
        >>"$idt/Environment.idt"
    msibuild "$msi" -i "$idt/_ForceCodepage.idt" "$idt/Environment.idt"
    rm -rf "$idt"
    local q
    for q in \
        "UPDATE \`Shortcut\` SET \`Name\` = 'TAV-1000R — wiersz poleceń', \`Description\` = 'Wiersz poleceń z programem tavctl' WHERE \`Shortcut\` = 'ConsoleShortcut'" \
        "UPDATE \`LaunchCondition\` SET \`Description\` = 'Zainstalowana jest nowsza wersja programu TAV-1000R. Aby zainstalować tę wersję, najpierw odinstaluj nowszą (Ustawienia, Aplikacje).' WHERE \`Condition\` = 'NOT WIX_DOWNGRADE_DETECTED'" \
        "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
        "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)" \
        "UPDATE \`Feature\` SET \`Attributes\` = 16 WHERE \`Feature\` = 'Complete'"; do
        msibuild "$msi" -q "$q"
    done
    # Same version: msidbUpgradeAttributesVersionMaxInclusive beside
    # MigrateFeatures (the row's attributes are part of its key).
    local row
    row=$(msiinfo export "$msi" Upgrade | awk -F'\t' '$7 ~ /WIX_UPGRADE_DETECTED/ {print $3}')
    msibuild "$msi" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
    msibuild "$msi" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$(msiinfo export "$msi" Property | awk -F'\t' '$1 == "UpgradeCode" {print $2}' | tr -d '\r')', '$row', 513, 'WIX_UPGRADE_DETECTED')"
}

# sign_files FILE...: Authenticode signatures on each FILE (.exe or .msi), in
# place, with the certificate in TAV_SIGN_PKCS12 (a PKCS#12 file: the
# certificate, its chain and its private key) and its password in
# TAV_SIGN_PASSWORD (handed to osslsigncode through a pipe, never on a command
# line). Time-stamped by TAV_SIGN_TIMESTAMP_URL (RFC 3161; default DigiCert's
# public server) when it answers, so the signatures stay valid after the
# certificate expires; without an answer signed without a time stamp, and said.
sign_files() {
    local url=${TAV_SIGN_TIMESTAMP_URL-http://timestamp.digicert.com} ts=() file
    if [ -n "$url" ] && curl -s -m 10 -o /dev/null "$url"; then
        ts=(-ts "$url")
    else
        echo "${0##*/}: no time-stamp server at '${url}': signing without a time stamp" >&2
    fi
    for file in "$@"; do
        osslsigncode sign -pkcs12 "$TAV_SIGN_PKCS12" -readpass <(printf '%s' "${TAV_SIGN_PASSWORD-}") \
            -h sha256 -n "TAV-1000R" "${ts[@]}" -in "$file" -out "$file.signed" >/dev/null ||
            { rm -f "$file.signed"; return 1; }
        mv "$file.signed" "$file"
    done
}

# throwaway_certificate FOLDER: a self-signed code-signing certificate made on
# the spot, for a trial of the signing: sets TAV_SIGN_PKCS12,
# TAV_SIGN_PASSWORD and `signing_ca` (the certificate, for osslsigncode
# verify -CAfile).
throwaway_certificate() {
    local dir=$1
    TAV_SIGN_PASSWORD=$(head -c 18 /dev/urandom | base64)
    openssl req -x509 -newkey rsa:3072 -sha256 -days 2 -nodes -subj "/CN=TAV-1000R test signing" \
        -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
        -keyout "$dir/key.pem" -out "$dir/cert.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/cert.pem" -out "$dir/signing.p12" \
        -passout fd:3 3< <(printf '%s' "$TAV_SIGN_PASSWORD")
    rm -f "$dir/key.pem"
    TAV_SIGN_PKCS12=$dir/signing.p12
    # shellcheck disable=SC2034 # for the caller
    signing_ca=$dir/cert.pem
    export TAV_SIGN_PKCS12 TAV_SIGN_PASSWORD
}

# relink_kit OUT KIT PROGRAM...: what the LGPL asks of a program linked with
# Qt statically. KIT/objects gets the project's own object files and static
# libraries each PROGRAM.exe in the build OUT is linked from (all the build
# made itself, Qt's plugin-import objects included), and KIT/relink-NAME.sh
# (NAME: PROGRAM's file name) the exact link command, with Qt's folder as $QT:
# run with QT set to another Qt for Windows (static, the same major and minor
# version) and it links NAME.exe against that Qt in KIT. PROGRAM is the
# program's path in OUT, without .exe.
relink_kit() {
    local out=$1 kit=$2 program word cmd script
    shift 2
    rm -rf "$kit"
    kit_output=
    mkdir -p "$kit/objects"
    for program in "$@"; do
        # The link again, keeping its response file (ninja removes it after a
        # link that worked) so that every argument is seen.
        rm -f "$out/$program.exe"
        ninja -C "$out" -d keeprsp "$program.exe" >/dev/null
        cmd=$(ninja -C "$out" -t commands "$program.exe" | tail -n 1)
        cmd=${cmd#*&& }   # ": && " or "cd OUT && "
        cmd=${cmd% && :}
        script=$kit/relink-$(basename "$program").sh
        {
            echo '#!/usr/bin/env bash'
            echo "# Links $(basename "$program").exe in this folder from the project's objects (objects/) and"
            echo "# the Qt for Windows in \$QT (static Qt $(basename "$qt" | cut -d- -f2), MinGW-w64)."
            echo '# Needs x86_64-w64-mingw32-g++-posix (Debian: g++-mingw-w64-x86-64-posix).'
            echo 'set -e'
            # shellcheck disable=SC2016 # for the script written
            echo 'cd "$(dirname "$0")"'
            # shellcheck disable=SC2016
            echo ': "${QT:?set QT to the folder of your Qt for Windows}"'
            printf 'exec'
        } >"$script"
        local words=()
        read -ra words <<<"$cmd"
        for word in "${words[@]}"; do
            if [[ $word == @* ]]; then
                local rsp=${word#@} inner=()
                read -ra inner < <(tr '\n' ' ' <"$out/$rsp")
                for w in "${inner[@]}"; do
                    kit_word "$out" "$kit" "$w" >>"$script"
                done
            else
                kit_word "$out" "$kit" "$word" >>"$script"
            fi
        done
        echo >>"$script"
        chmod +x "$script"
    done
}

# kit_word OUT KIT WORD: one word of a link command for the kit: a file the
# build made is copied under KIT/objects and named there, a file of Qt is
# named under $QT, what the link writes (-o FILE, the import library) goes
# into KIT itself, anything else stays as it is. `kit_output` is set after -o.
kit_word() {
    local out=$1 kit=$2 word=$3 path
    if [ "${kit_output:-}" = next ]; then
        kit_output=
        printf ' %q' "$(basename "$word")"
        return
    fi
    case $word in
    -o) kit_output=next ;;
    -Wl,--out-implib,*)
        printf ' %q' "-Wl,--out-implib,$(basename "${word#-Wl,--out-implib,}")"
        return
        ;;
    esac
    if [ -n "$qt" ] && [[ $word == "$qt"/* ]]; then
        # shellcheck disable=SC2016 # $QT is the relink script's
        printf ' "$QT"%q' "${word#"$qt"}"
        return
    fi
    path=$word
    [[ $path == /* ]] || path=$out/$path
    if [[ $word != -* ]] && [ -f "$path" ] && [[ $path == "$out"/* ]]; then
        mkdir -p "$(dirname "$kit/objects/${path#"$out"/}")"
        cp "$path" "$kit/objects/${path#"$out"/}"
        printf ' %q' "objects/${path#"$out"/}"
        return
    fi
    printf ' %q' "$word"
}
