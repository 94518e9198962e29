#!/usr/bin/python3
"""Checks a built Vexo.exe: 32-bit GUI program, system DLLs only, and the
resources of vexo.rc (version record, MAINICON, manifest) really in the file,
every one of them stored under the Slovenian language.

Usage: check_exe.py EXE [--time-stamp SECONDS]
With --time-stamp, also that the file is stamped with exactly that time (the
last commit's, so that a rebuild gives the same bytes) and that its checksum
is the one its bytes give, so that the stamp was not patched in afterwards.
Prints one line per problem and exits 1, or prints one summary line.
"""

import re
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

VERSION = (1, 3, 0, 0)
LANG_ID, CODE_PAGE = 0x0424, 1250
STRING_TABLE_KEY = "%04X%04X" % (LANG_ID, CODE_PAGE)
STRINGS = {
    "ProductName": "Velumen",
    "CompanyName": "Korvanta",
    "FileVersion": "1.3.0.0",
    "ProductVersion": "1.3.0.0",
    "OriginalFilename": "Vexo.exe",
}
ICON_NAME, ICON_SIZE, ICON_BITS = "MAINICON", 32, 4

# The program must start on a clean Windows: nothing from the MinGW runtime.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll",
               "advapi32.dll", "msvcrt.dll", "comctl32.dll", "ntdll.dll",
               "ucrtbase.dll"}
SYSTEM_DLL_PATTERN = re.compile(r"api-ms-win-crt-[a-z0-9-]+\.dll")

RT_ICON, RT_GROUP_ICON, RT_MANIFEST = (pefile.RESOURCE_TYPE[n] for n in
                                       ("RT_ICON", "RT_GROUP_ICON", "RT_MANIFEST"))


def dotted(ms, ls):
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def check_headers(pe):
    problems = []
    if pe.FILE_HEADER.Machine != 0x14C:
        problems.append("machine: expected i386 (0x14c), found 0x%x" % pe.FILE_HEADER.Machine)
    magic = pe.OPTIONAL_HEADER.Magic
    if magic != pefile.OPTIONAL_HEADER_MAGIC_PE:
        kind = "PE32+" if magic == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS else "magic 0x%x" % magic
        problems.append("optional header: expected PE32, found %s" % kind)
    if pe.OPTIONAL_HEADER.Subsystem != 2:
        problems.append("subsystem: expected Windows GUI (2), found %d" % pe.OPTIONAL_HEADER.Subsystem)
    return problems


def check_time_stamp(pe, want):
    problems = []
    found = pe.FILE_HEADER.TimeDateStamp
    if found != want:
        problems.append("time stamp: expected %d (the tree's), found %d" % (want, found))
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is not None and root.struct.TimeDateStamp not in (0, want):
        problems.append("resource directory time stamp: expected 0 or %d, found %d" % (
            want, root.struct.TimeDateStamp))
    checksum = pe.generate_checksum()
    if pe.OPTIONAL_HEADER.CheckSum != checksum:
        problems.append("checksum: expected 0x%x from the file's bytes, found 0x%x" % (
            checksum, pe.OPTIONAL_HEADER.CheckSum))
    return problems


def imported_dlls(pe):
    names = []
    for attr in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        names += [e.dll.decode("ascii", "replace") for e in getattr(pe, attr, [])]
    return names


def check_imports(pe):
    return ["import: expected only Windows system DLLs, found %s" % dll
            for dll in imported_dlls(pe)
            if dll.lower() not in SYSTEM_DLLS and not SYSTEM_DLL_PATTERN.fullmatch(dll.lower())]


def check_version(pe):
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        return ["version record: expected a VERSIONINFO resource, found none"]
    problems = []
    want = "%d.%d.%d.%d" % VERSION
    ffi = fixed[0]
    for label, ms, ls in (("file", ffi.FileVersionMS, ffi.FileVersionLS),
                          ("product", ffi.ProductVersionMS, ffi.ProductVersionLS)):
        if dotted(ms, ls) != want:
            problems.append("fixed %s version: expected %s, found %s" % (label, want, dotted(ms, ls)))

    blocks = [b for group in getattr(pe, "FileInfo", []) for b in group]
    tables = [t for b in blocks if b.Key == b"StringFileInfo" for t in b.StringTable]
    if len(tables) != 1:
        problems.append("string tables: expected exactly one (%s), found %d (%s)" % (
            STRING_TABLE_KEY, len(tables), ", ".join(t.LangID.decode() for t in tables) or "none"))
    by_key = {t.LangID.decode("ascii", "replace").upper(): t for t in tables}
    if len(tables) == 1 and STRING_TABLE_KEY not in by_key:
        problems.append("string table key: expected %s, found %s" % (STRING_TABLE_KEY, tables[0].LangID.decode()))
    table = by_key.get(STRING_TABLE_KEY, tables[0] if len(tables) == 1 else None)
    if table is not None:
        entries = {k.decode("ascii", "replace"): v.decode("utf-8", "replace")
                   for k, v in table.entries.items()}
        for name, want_text in STRINGS.items():
            found = entries.get(name)
            if found != want_text:
                problems.append("%s: expected %r, found %s" % (
                    name, want_text, "none" if found is None else repr(found)))

    translations = [v for b in blocks if b.Key == b"VarFileInfo" for v in b.Var
                    if b"Translation" in getattr(v, "entry", {})]
    want_tr = "0x%04x/%d" % (LANG_ID, CODE_PAGE)
    if not translations:
        problems.append("translation: expected %s, found none" % want_tr)
    else:
        var = translations[0]
        lang, cp = (int(w, 16) for w in var.entry[b"Translation"].split())
        if len(translations) != 1 or var.ValueLength != 4:
            # pefile keeps only the last pair, so several pairs cannot be listed here.
            problems.append("translation: expected the single pair %s, found more than one" % want_tr)
        elif (lang, cp) != (LANG_ID, CODE_PAGE):
            problems.append("translation: expected %s, found 0x%04x/%d" % (want_tr, lang, cp))
    return problems


def resources(pe, rtype):
    """Returns [(name or id, [data bytes per language])] for one resource type."""
    out = []
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for t in root.entries if root else []:
        if t.id != rtype:
            continue
        for e in t.directory.entries:
            key = str(e.name) if e.name is not None else e.id
            datas = [pe.get_data(l.data.struct.OffsetToData, l.data.struct.Size)
                     for l in e.directory.entries]
            out.append((key, datas))
    return out


def check_languages(pe):
    """Every resource is stored under LANG_ID, the language the version
    record names: the language level of the resource tree, entry by entry."""
    problems = []
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for t in root.entries if root else []:
        kind = pefile.RESOURCE_TYPE.get(t.id, str(t.name or t.id))
        for e in t.directory.entries:
            key = str(e.name) if e.name is not None else e.id
            for leaf in e.directory.entries:
                if leaf.id != LANG_ID:
                    problems.append("resource language of %s %s: expected 0x%04x, found 0x%04x" % (
                        kind, key, LANG_ID, leaf.id))
    return problems


def check_icon(pe):
    groups = resources(pe, RT_GROUP_ICON)
    if len(groups) != 1:
        return ["icon groups: expected exactly one, named %s, found %d (%s)" % (
            ICON_NAME, len(groups), ", ".join(str(k) for k, _ in groups) or "none")]
    key, datas = groups[0]
    problems = []
    if key != ICON_NAME:
        problems.append("icon group name: expected %s, found %s" % (ICON_NAME, key))
    if len(datas) != 1:
        problems.append("icon group languages: expected one, found %d" % len(datas))
    grp = datas[0]
    if len(grp) < 6:
        return problems + ["icon group: expected a GRPICONDIR, found %d bytes" % len(grp)]
    _, kind, count = struct.unpack_from("<HHH", grp, 0)
    if kind != 1 or count != 1 or len(grp) < 6 + 14:
        return problems + ["icon group: expected one icon image, found type %d with %d images" % (kind, count)]
    width, height, colours, _, _, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", grp, 6)
    width, height = width or 256, height or 256
    listed = "%dx%d, %d bits, %d colours" % (width, height, bits, colours)
    want = "%dx%d, %d bits, %d colours" % (ICON_SIZE, ICON_SIZE, ICON_BITS, 1 << ICON_BITS)
    if listed != want:
        problems.append("icon group entry: expected %s, found %s" % (want, listed))

    images = dict(resources(pe, RT_ICON))
    if icon_id not in images:
        return problems + ["icon image: expected RT_ICON %d listed by the group, found none" % icon_id]
    image = images[icon_id][0]
    if len(image) != size:
        problems.append("icon image %d: expected %d bytes as the group says, found %d" % (icon_id, size, len(image)))
    if len(image) < 40 or struct.unpack_from("<I", image, 0)[0] != 40:
        return problems + ["icon image %d: expected a BITMAPINFOHEADER, found %r" % (icon_id, image[:8])]
    _, bi_width, bi_height, _, bi_bits = struct.unpack_from("<IiiHH", image, 0)
    found = "%dx%d, %d bits" % (bi_width, bi_height, bi_bits)
    want_bi = "%dx%d, %d bits" % (ICON_SIZE, 2 * ICON_SIZE, ICON_BITS)  # height counts the AND mask
    if found != want_bi:
        problems.append("icon image %d header: expected %s, found %s" % (icon_id, want_bi, found))
    return problems


def local(tag):
    return tag.rsplit("}", 1)[-1]


def check_manifest(pe):
    manifests = dict(resources(pe, RT_MANIFEST))
    if 1 not in manifests:
        return ["manifest: expected RT_MANIFEST id 1, found %s" % (
            ", ".join(str(k) for k in manifests) or "none")]
    try:
        root = ET.fromstring(manifests[1][0])
    except ET.ParseError as err:
        return ["manifest: expected well-formed XML, found %s" % err]
    elements = list(root.iter())
    problems = []

    levels = [e.get("level") for e in elements if local(e.tag) == "requestedExecutionLevel"]
    if levels != ["asInvoker"]:
        problems.append("manifest execution level: expected asInvoker, found %s" % (
            ", ".join(str(l) for l in levels) or "none"))

    deps = [(e.get("name"), e.get("version")) for e in elements if local(e.tag) == "assemblyIdentity"
            and e.get("name") == "Microsoft.Windows.Common-Controls"]
    if ("Microsoft.Windows.Common-Controls", "6.0.0.0") not in deps:
        problems.append("manifest: expected a Microsoft.Windows.Common-Controls 6.0.0.0 dependency, found %s" % (
            ", ".join(v or "no version" for _, v in deps) or "none"))

    dpi = [(e.text or "").strip().lower() for e in elements if local(e.tag) == "dpiAware"]
    if dpi != ["true"]:
        problems.append("manifest dpiAware: expected true, found %s" % (", ".join(dpi) or "none"))
    return problems


def main(argv):
    args = argv[1:]
    time_stamp = None
    if len(args) == 3 and args[1] == "--time-stamp" and args[2].isdigit():
        time_stamp = int(args.pop())
        args.pop()
    if len(args) != 1:
        print("usage: check_exe.py EXE [--time-stamp SECONDS]", file=sys.stderr)
        return 2
    path = args[0]
    try:
        pe = pefile.PE(path)
    except (OSError, pefile.PEFormatError) as err:
        print("%s: expected a PE file, found %s" % (path, err))
        return 1

    problems = (check_headers(pe) + check_imports(pe) + check_version(pe)
                + check_icon(pe) + check_manifest(pe) + check_languages(pe)
                + (check_time_stamp(pe, time_stamp) if time_stamp is not None else []))
    for p in problems:
        print("%s: %s" % (path, p))
    if problems:
        return 1
    print("%s: ok: PE32 i386 GUI; imports %s; version %s, %s; %s %dx%d %d-bit; manifest asInvoker, "
          "Common-Controls 6, dpiAware; every resource 0x%04x%s" % (
              path, ", ".join(imported_dlls(pe)), "%d.%d.%d.%d" % VERSION, STRING_TABLE_KEY,
              ICON_NAME, ICON_SIZE, ICON_SIZE, ICON_BITS, LANG_ID,
              "" if time_stamp is None else "; stamped %d" % time_stamp))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
