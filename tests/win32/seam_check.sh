#!/usr/bin/env bash
# The failing-call seam belongs to the sweep's build alone:
#   - the shipped service library (and Vantrel.exe, when given) refers to no stand-in of
#     vantrel::platform::win32::calls: there the names are the system's functions themselves;
#   - the sweep's build does refer to them (so the first check can fail), and each of its
#     objects that goes through them goes through them for every routed call.
#
#   seam_check.sh NM SHIPPED_LIBRARY FAULTS_LIBRARY [PROGRAM]
set -euo pipefail

nm="$1" shipped="$2" faults="$3" program="${4:-}"
seam='vantrel::platform::win32::calls::'
routed='CloseHandle|CreateDirectoryW|CreateFileW|DeleteFileW|DeviceIoControl|FindClose'
routed+='|FindFirstFileW|FindNextFileW|FlushFileBuffers|GetFileAttributesW|GetFileInformationByHandle'
routed+='|GetFileInformationByHandleEx|GetFileSizeEx|GetFileType|GetVolumeInformationByHandleW'
routed+='|ReadFile|SetEndOfFile|SetFileInformationByHandle|SetFilePointerEx|SetFileTime|WriteFile'
status=0

if "$nm" -C "$shipped" | grep -F "$seam"; then
  echo "FAIL: the shipped library $shipped refers to the failing-call stand-ins above" >&2
  status=1
fi

if [ -n "$program" ]; then
  if [ -z "$("$nm" "$program" 2>/dev/null | head -1)" ]; then
    echo "note: $program has no symbol table to look at"
  elif "$nm" -C "$program" | grep -F "$seam"; then
    echo "FAIL: $program holds the failing-call stand-ins above" >&2
    status=1
  fi
fi

if ! "$nm" -C "$faults" | grep -F "U $seam" >/dev/null; then
  echo "FAIL: the sweep's library $faults does not go through the stand-ins" >&2
  status=1
fi

# An object of the sweep's build that goes through the seam goes through it for every routed
# call: one that also imports such a call itself makes it past the sweep.
listing="$("$nm" -A -C "$faults")"
for object in $(grep -F " U $seam" <<<"$listing" | grep -v file_call_faults | cut -d: -f2 |
  sort -u); do
  if grep -F ":$object:" <<<"$listing" | grep -E " U __imp_($routed)\$"; then
    echo "FAIL: $object makes the Windows file calls above past the seam" >&2
    status=1
  fi
done

[ "$status" -eq 0 ] && echo "the failing-call seam is in the sweep's build only"
exit "$status"
