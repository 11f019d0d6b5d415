#!/usr/bin/env bash
# Lists every DLL that each .exe and .dll in the Windows program's folder imports, and fails on
# any that is neither shipped there nor part of Windows itself.
#
#   scripts/check-windows-layout.sh build-windows/Quillon
set -euo pipefail
folder=${1:?folder}

# Windows' own libraries, and the API sets it resolves itself.
system='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|ws2_32|msvcrt|bcrypt|ntdll|comdlg32|comctl32|uxtheme|dwmapi|imm32|winmm|version|shlwapi|userenv|netapi32|authz|wtsapi32|setupapi|crypt32|dnsapi|iphlpapi|mpr|secur32|d3d9|d3d11|d3d12|dxgi|dwrite|d2d1|shcore|uiautomationcore|ncrypt|wintrust|rpcrt4|winspool\.drv|oleacc|usp10|dbghelp|propsys|api-ms-win-[a-z0-9-]+)\.dll$'

shipped=$(find "$folder" -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z' | sort -u)
failed=0
while IFS= read -r -d '' file; do
    echo "${file#"$folder"/}:"
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
        lower=$(tr 'A-Z' 'a-z' <<<"$dll")
        if grep -qx "$lower" <<<"$shipped"; then
            echo "    $dll (shipped)"
        elif [[ $lower =~ $system ]]; then
            echo "    $dll (Windows)"
        else
            echo "    $dll: MISSING" >&2
            failed=1
        fi
    done
done < <(find "$folder" \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
[[ $failed -eq 0 ]] || { echo "a DLL that is imported is missing" >&2; exit 1; }
echo "every imported DLL is shipped or part of Windows"
