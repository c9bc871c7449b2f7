#!/usr/bin/env python3
"""Fails unless a Windows executable imports only DLLs that every Windows has.

    check_imports.py x86_64-w64-mingw32-objdump tarnwick.exe
"""

import re
import subprocess
import sys

# Part of every Windows since XP; nothing here is a redistributable runtime.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "shell32.dll"}


def main():
    objdump, exe = sys.argv[1:3]
    dump = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True)
    imports = re.findall(r"DLL Name: (\S+)", dump.stdout)
    print("imports:", ", ".join(imports))
    foreign = sorted(name for name in imports if name.lower() not in SYSTEM_DLLS)
    if not imports or foreign:
        print("not a system DLL:", ", ".join(foreign) or "(no imports found)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
