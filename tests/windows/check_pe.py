#!/usr/bin/env python3
"""Reads the shipped biorhythm.exe with pefile, a PE reader that is not the
build's own, and checks what Windows will see of it:

- a 64-bit program of the Windows GUI subsystem (no console window);
- ASLR with high entropy (relocations present) and DEP;
- the version record: 1.00, Japanese (0x0411), Unicode (1200), the
  program's name in Japanese, not mojibake;
- the icon: the images of assets/icons/books.ico, byte for byte;
- it loads only Windows' own libraries and those shipped beside it, and
  not libssp (the stack protector's support is linked in).

With the unstripped build of the program as a second argument, it also
checks with binutils' nm that the stack protector is there: the guard
and its failure handler are defined in the program itself.

    check_pe.py SHIPPED_FOLDER [UNSTRIPPED_EXE]
"""
import os
import struct
import subprocess
import sys

import pefile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def version_strings(pe):
    """{(language-codepage block): {key: value}} of the StringFileInfo."""
    tables = {}
    for info in getattr(pe, "FileInfo", []) or []:
        for entry in info:
            if getattr(entry, "Key", b"") == b"StringFileInfo":
                for table in entry.StringTable:
                    tables[table.LangID.decode().upper()] = {
                        k.decode("utf-8"): v.decode("utf-8") for k, v in table.entries.items()
                    }
    return tables


def translations(pe):
    """[(language, code page)] of the VarFileInfo's Translation."""
    pairs = []
    for info in getattr(pe, "FileInfo", []) or []:
        for entry in info:
            if getattr(entry, "Key", b"") == b"VarFileInfo":
                for var in entry.Var:
                    for value in var.entry.values():
                        # pefile gives each pair as text: "0x0411 0x04b0".
                        words = (value.decode() if isinstance(value, bytes) else value).split()
                        pairs.append(tuple(int(word, 16) for word in words))
    return pairs


def resources(pe, type_id):
    """[(name, language, bytes)] of every resource of the type."""
    found = []
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != type_id:
            continue
        for named in kind.directory.entries:
            name = str(named.name) if named.name is not None else named.id
            for lang in named.directory.entries:
                data = lang.data.struct
                found.append((name, lang.id, pe.get_data(data.OffsetToData, data.Size)))
    return found


def ico_images(path):
    """The image blocks of an .ico file, in its directory's order."""
    with open(path, "rb") as f:
        blob = f.read()
    _, kind, count = struct.unpack_from("<HHH", blob, 0)
    assert kind == 1, f"{path} is not an icon file"
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", blob, 6 + 16 * i + 8)
        images.append(blob[offset : offset + size])
    return images


def main():
    folder = sys.argv[1]
    unstripped = sys.argv[2] if len(sys.argv) > 2 else None
    exe = os.path.join(folder, "biorhythm.exe")
    pe = pefile.PE(exe)

    # A 64-bit GUI program.
    check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], "not an x86-64 program")
    check(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
          f"subsystem {pe.OPTIONAL_HEADER.Subsystem}, expected the Windows GUI (a console window would open)")

    # Hardening.
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    for name in ("DYNAMIC_BASE", "HIGH_ENTROPY_VA", "NX_COMPAT"):
        bit = pefile.DLL_CHARACTERISTICS[f"IMAGE_DLLCHARACTERISTICS_{name}"]
        check(flags & bit, f"DllCharacteristics lacks {name}")
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    check(relocations.Size > 0, "no base relocations: Windows cannot move the program (ASLR)")

    # Version record.
    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x00010000, 0), "fixed file version is not 1.0.0.0")
    check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x00010000, 0), "fixed product version is not 1.0.0.0")
    tables = version_strings(pe)
    check(list(tables) == ["041104B0"], f"string tables {list(tables)}, expected one, 041104B0 (Japanese, Unicode)")
    strings = tables.get("041104B0", {})
    expected = {
        "FileDescription": "バイオリズム",
        "ProductName": "バイオリズム",
        "FileVersion": "1.00",
        "ProductVersion": "1.00",
        "OriginalFilename": "biorhythm.exe",
        "InternalName": "biorhythm",
    }
    for key, value in expected.items():
        check(strings.get(key) == value, f"version record {key} = {strings.get(key)!r}, expected {value!r}")
    check(translations(pe) == [(0x0411, 1200)], f"VarFileInfo Translation {translations(pe)}, expected 0x0411, 1200")

    # Icon: the group names the images of books.ico.
    groups = resources(pe, pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
    check([g[0] for g in groups] == ["IDI_ICON1"], f"icon groups {[g[0] for g in groups]}, expected IDI_ICON1")
    icons = [data for _, _, data in resources(pe, pefile.RESOURCE_TYPE["RT_ICON"])]
    here = os.path.dirname(os.path.abspath(__file__))
    wanted = ico_images(os.path.join(here, "..", "..", "assets", "icons", "books.ico"))
    check(sorted(icons) == sorted(wanted), f"the program's {len(icons)} icon images are not those of books.ico ({len(wanted)})")

    # Libraries: Windows' own, or shipped beside the program.
    shipped = {name.lower() for name in os.listdir(folder) if name.lower().endswith(".dll")}
    imported = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    windows_own = {"kernel32.dll", "user32.dll", "shell32.dll", "msvcrt.dll", "ole32.dll", "advapi32.dll",
                   "gdi32.dll"}
    check("libssp-0.dll" not in imported, "the program loads libssp-0.dll (not shipped)")
    unknown = sorted(imported - shipped - windows_own)
    check(not unknown, f"the program loads libraries that are neither shipped nor Windows' own: {unknown}")
    check({"qt6core.dll", "qt6gui.dll", "qt6widgets.dll"} <= imported, f"imports {sorted(imported)} lack Qt's")

    if unstripped:
        symbols = subprocess.run(["x86_64-w64-mingw32-nm", unstripped], check=True, capture_output=True,
                                 text=True).stdout.split("\n")
        defined = {line.split()[-1] for line in symbols if len(line.split()) == 3 and line.split()[1] in "TtDdBb"}
        for symbol in ("__stack_chk_fail", "__stack_chk_guard"):
            check(symbol in defined, f"{symbol} is not defined in the program: no stack protector linked in")

    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print(f"{exe}: GUI, ASLR (high entropy) and DEP, version 1.00 ({strings.get('ProductName')}, 041104B0), "
          f"books.ico ({len(icons)} images), imports {sorted(imported)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
