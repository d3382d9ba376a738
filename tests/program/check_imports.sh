#!/bin/sh
# Checks that an executable runs on Windows XP: PE32 i386 GUI program,
# subsystem version at most 5.01, DLLs only from those XP ships, and none
# of the functions that came after XP.
set -u
exe=$1
objdump=i686-w64-mingw32-objdump
dump=$($objdump -p "$exe") || { echo "cannot read $exe"; exit 1; }
fail=0
say() { echo "$*"; fail=1; }

echo "$dump" | grep -q 'file format pei-i386' || say "not a PE32 i386 file"
echo "$dump" | grep -Eq '^Subsystem[[:space:]]+00000002' || say "not a GUI program"
major=$(echo "$dump" | awk '/^MajorSubsystemVersion/ {print $2}')
minor=$(echo "$dump" | awk '/^MinorSubsystemVersion/ {print $2}')
if [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
	say "subsystem version $major.$minor is newer than 5.01"
fi

xp_dlls="kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll advapi32.dll
crypt32.dll ole32.dll oleaut32.dll version.dll msvcrt.dll shlwapi.dll uxtheme.dll"
for dll in $(echo "$dump" | awk '/DLL Name:/ {print tolower($3)}'); do
	echo "$xp_dlls" | tr ' ' '\n' | grep -qx "$dll" || say "imports $dll, which Windows XP does not ship"
done

# Functions that Windows XP does not have (prefix matches for families).
newer="GetTickCount64 InitializeCriticalSectionEx InitializeSRWLock AcquireSRWLock ReleaseSRWLock
TryAcquireSRWLock SleepConditionVariable WakeConditionVariable WakeAllConditionVariable
InitializeConditionVariable InitOnce FlsAlloc FlsFree FlsGetValue FlsSetValue CompareStringEx
CompareStringOrdinal LCMapStringEx GetLocaleInfoEx GetFileInformationByHandleEx
GetFinalPathNameByHandle CreateSymbolicLink QueryFullProcessImageName CreateFile2
SetProcessDPIAware SetProcessDpiAwareness TaskDialog SHGetKnownFolderPath RegGetValue
RegDeleteTree GetThreadPreferredUILanguages GetUserDefaultLocaleName ResolveLocaleName
CreateEventEx CreateMutexEx CreateSemaphoreEx SetThreadStackGuarantee GetNamedPipeClientProcessId
RaiseFailFastException GetSystemTimePreciseAsFileTime WerRegister AddDllDirectory
SetDefaultDllDirectories GetErrorMode GetCurrentProcessorNumber"
imports=$(echo "$dump" | awk '/DLL Name:/ {in_dll=1; next} in_dll && NF >= 3 && $1 ~ /^[0-9a-f]+$/ {print $3}')
for fn in $newer; do
	hit=$(echo "$imports" | grep -E "^${fn}(A|W)?\$|^${fn}[A-Za-z]*\$" | head -n 1)
	[ -n "$hit" ] && say "imports $hit, which Windows XP does not have"
done

[ $fail -eq 0 ] && echo "$exe: fits Windows XP ($(echo "$dump" | awk '/DLL Name:/ {printf "%s ", $3}'))"
exit $fail
