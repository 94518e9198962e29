#!/usr/bin/python3
"""Tests of the resource files and of check_exe.py.

Builds small Windows programs with the MinGW cross tools, from the real
vexo.rc and from broken copies of it, and expects check_exe.py to pass the
first and to name exactly what is wrong with the others. Also checks that
vexo.ico is what draw_icon.py draws, decoded by an independent reader.

Run: /usr/bin/python3 res/test_resources.py
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import pefile

RES = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, RES)
import check_exe  # noqa: E402
import draw_icon  # noqa: E402

CC = "i686-w64-mingw32-gcc-win32"
CXX_WIN32 = "i686-w64-mingw32-g++-win32"
WINDRES = "i686-w64-mingw32-windres"

HELLO_C = r"""
#include <windows.h>
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int n)
{ (void)i; (void)p; (void)c; (void)n; return MessageBoxA(0, "x", "x", 0) ? 0 : 1; }
"""
# Uses the C++ runtime, so a dynamic link pulls in the MinGW DLLs.
HELLO_CXX = r"""
#include <windows.h>
#include <string>
#include <stdexcept>
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR c, int)
{
    try { if (!*c) throw std::runtime_error("empty"); }
    catch (const std::exception& e) { std::string s = e.what(); MessageBoxA(0, s.c_str(), "x", 0); }
    return 0;
}
"""


def run(cmd, **kw):
    p = subprocess.run(cmd, capture_output=True, text=True, **kw)
    if p.returncode != 0:
        raise AssertionError("%s failed:\n%s%s" % (" ".join(cmd), p.stdout, p.stderr))
    return p


def blank_ico(images):
    """An .ico of blank images; each is (width, height, dib_bits, listed_bits)."""
    blobs = []
    for w, h, bits, _ in images:
        palette = b"\0\0\0\0" * (1 << bits if bits <= 8 else 0)
        xor = bytes(((w * bits + 31) // 32) * 4 * h)
        mask = bytes(((w + 31) // 32) * 4 * h)
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(header + palette + xor + mask)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (w, h, _, listed), blob in zip(images, blobs):
        colours = 1 << listed if listed < 8 else 0
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, 1, listed, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


class Build:
    """A scratch directory holding copies of res/ and the objects of the hello programs."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="vexo-res-")
        for name in ("vexo.rc", "vexo.ico", "vexo.manifest"):
            shutil.copy(os.path.join(RES, name), self.dir)
        with open(self.path("hello.c"), "w") as f:
            f.write(HELLO_C)
        with open(self.path("hello.cpp"), "w") as f:
            f.write(HELLO_CXX)
        run([CC, "-c", "-Os", self.path("hello.c"), "-o", self.path("hello.o")])
        self.count = 0

    def path(self, name):
        return os.path.join(self.dir, name)

    def text(self, name):
        with open(os.path.join(RES, name)) as f:
            return f.read()

    def write(self, name, data):
        with open(self.path(name), "wb" if isinstance(data, bytes) else "w") as f:
            f.write(data)

    def rc_object(self, rc_text=None):
        """Compiles vexo.rc (or a variant of it, with the same neighbours) to an object."""
        self.count += 1
        rc = self.path("v%d.rc" % self.count)
        with open(rc, "w") as f:
            f.write(self.text("vexo.rc") if rc_text is None else rc_text)
        obj = rc + ".o"
        run([WINDRES, rc, "-O", "coff", "-o", obj])
        return obj

    def exe(self, *objs, flags=("-mwindows",), time_stamp=None):
        """Links the hello program; GNU ld stamps it with time_stamp, else with now."""
        self.count += 1
        out = self.path("t%d.exe" % self.count)
        env = dict(os.environ)
        env.pop("SOURCE_DATE_EPOCH", None)
        if time_stamp is not None:
            env["SOURCE_DATE_EPOCH"] = str(time_stamp)
        run([CC, *flags, "-s", self.path("hello.o"), *objs, "-o", out], env=env)
        return out

    def check(self, exe, *options):
        p = subprocess.run([sys.executable, os.path.join(RES, "check_exe.py"), exe, *options],
                           capture_output=True, text=True)
        return p.returncode, p.stdout.splitlines()


def setUpModule():
    global B
    B = Build()


def tearDownModule():
    shutil.rmtree(B.dir, ignore_errors=True)


class CheckerTestCase(unittest.TestCase):
    def assertFails(self, exe, *expected, options=()):
        """The checker fails, and its problem lines are exactly the expected fragments, in order."""
        rc, lines = B.check(exe, *options)
        self.assertEqual(rc, 1, lines)
        problems = [l.split(": ", 1)[1] for l in lines]
        self.assertEqual(len(problems), len(expected), "\n".join(lines))
        for line, want in zip(problems, expected):
            self.assertIn(want, line)

    def variant(self, pattern, repl, count=1):
        rc, n = re.subn(pattern, repl, B.text("vexo.rc"), flags=re.M)
        self.assertEqual(n, count, "pattern %r not in vexo.rc" % pattern)
        return B.exe(B.rc_object(rc))


class GoodProgram(CheckerTestCase):
    def test_passes_with_the_real_resources(self):
        rc, lines = B.check(B.exe(B.rc_object()))
        self.assertEqual(rc, 0, lines)
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("ok", lines[0])

    def test_passes_a_statically_linked_cxx_program_like_vexo(self):
        exe = B.path("static.exe")
        run([CXX_WIN32, "-mwindows", "-static", "-static-libgcc", "-static-libstdc++", "-s",
             B.path("hello.cpp"), B.rc_object(), "-o", exe])
        rc, lines = B.check(exe)
        self.assertEqual(rc, 0, lines)


class Headers(CheckerTestCase):
    def test_bare_program_is_missing_every_resource(self):
        self.assertFails(B.exe(), "expected a VERSIONINFO resource, found none",
                         "icon groups: expected exactly one, named MAINICON, found 0",
                         "manifest: expected RT_MANIFEST id 1, found none")

    def test_console_subsystem(self):
        self.assertFails(B.exe(B.rc_object(), flags=("-mconsole",)),
                         "subsystem: expected Windows GUI (2), found 3")

    def patched(self, field_offset, fmt, value):
        """A copy of the good program with one header field overwritten."""
        with open(B.exe(B.rc_object()), "rb") as f:
            data = bytearray(f.read())
        pe_offset = struct.unpack_from("<I", data, 0x3C)[0]
        struct.pack_into(fmt, data, pe_offset + field_offset, value)
        B.count += 1
        out = B.path("p%d.exe" % B.count)
        B.write(out, bytes(data))
        return out

    def test_other_machine(self):
        self.assertFails(self.patched(4, "<H", 0x8664), "machine: expected i386 (0x14c), found 0x8664")

    def test_pe32_plus(self):
        rc, lines = B.check(self.patched(24, "<H", 0x20B))
        self.assertEqual(rc, 1)
        self.assertTrue(any("expected PE32, found PE32+" in l for l in lines), lines)

    def test_mingw_runtime_dlls_are_refused(self):
        exe = B.path("dynamic.exe")
        run([CXX_WIN32, "-mwindows", "-s", B.path("hello.cpp"), B.rc_object(), "-o", exe])
        rc, lines = B.check(exe)
        self.assertEqual(rc, 1)
        refused = sorted(l.rsplit(" ", 1)[1].lower() for l in lines)
        self.assertIn("libstdc++-6.dll", refused)
        self.assertTrue(any(d.startswith("libgcc_s") for d in refused), refused)
        self.assertTrue(all("expected only Windows system DLLs" in l for l in lines), lines)
        self.assertFalse(any("kernel32" in d or "msvcrt" in d for d in refused), refused)


class VersionRecord(CheckerTestCase):
    def test_wrong_fixed_versions(self):
        self.assertFails(self.variant(r"^(FILE|PRODUCT)VERSION(\s+)1,3,0,0", r"\1VERSION\g<2>1,2,9,0", 2),
                         "fixed file version: expected 1.3.0.0, found 1.2.9.0",
                         "fixed product version: expected 1.3.0.0, found 1.2.9.0")

    def test_other_language(self):
        rc = B.text("vexo.rc").replace('"042404E2"', '"040904B0"').replace("0x0424, 1250", "0x0409, 1200")
        self.assertFails(B.exe(B.rc_object(rc)),
                         "string table key: expected 042404E2, found 040904B0",
                         "translation: expected 0x0424/1250, found 0x0409/1200")

    def test_second_string_table(self):
        self.assertFails(self.variant(r'^(\s*)BLOCK "042404E2"',
                                      r'\1BLOCK "040904E4"\n\1BEGIN\n\1  VALUE "ProductName", "Velumen"\n\1END\n'
                                      r'\1BLOCK "042404E2"'),
                         "string tables: expected exactly one (042404E2), found 2")

    def test_second_translation(self):
        self.assertFails(self.variant(r"0x0424, 1250", "0x0424, 1250, 0x0409, 1252"),
                         "translation: expected the single pair 0x0424/1250, found more than one")

    def test_wrong_and_missing_names(self):
        rc = B.text("vexo.rc")
        rc = re.sub(r'(VALUE "ProductName",\s*)"Velumen"', r'\1"Velumen Pro"', rc)
        rc = re.sub(r'^.*VALUE "CompanyName".*\n', "", rc, flags=re.M)
        rc = re.sub(r'(VALUE "OriginalFilename",\s*)"Vexo.exe"', r'\1"vexo.exe"', rc)
        self.assertFails(B.exe(B.rc_object(rc)),
                         "ProductName: expected 'Velumen', found 'Velumen Pro'",
                         "CompanyName: expected 'Korvanta', found none",
                         "OriginalFilename: expected 'Vexo.exe', found 'vexo.exe'")

    def test_string_versions(self):
        self.assertFails(self.variant(r'("(File|Product)Version",\s*)"1\.3\.0\.0"', r'\g<1>"1.3"', 2),
                         "FileVersion: expected '1.3.0.0', found '1.3'",
                         "ProductVersion: expected '1.3.0.0', found '1.3'")


class Languages(CheckerTestCase):
    def test_a_resource_under_another_language(self):
        # The manifest alone goes under US English; the rest stays Slovenian.
        self.assertFails(self.variant(r"^(CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST.*)$",
                                      r"LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n\1\n"
                                      r"LANGUAGE LANG_SLOVENIAN, SUBLANG_DEFAULT"),
                         "resource language of RT_MANIFEST 1: expected 0x0424, found 0x0409")

    def test_resources_under_the_neutral_language(self):
        self.assertFails(self.variant(r"^LANGUAGE LANG_SLOVENIAN, SUBLANG_DEFAULT$", ""),
                         "resource language of RT_ICON 1: expected 0x0424, found 0x0409",
                         "resource language of RT_GROUP_ICON MAINICON: expected 0x0424, found 0x0409",
                         "resource language of RT_VERSION 1: expected 0x0424, found 0x0409",
                         "resource language of RT_MANIFEST 1: expected 0x0424, found 0x0409")


class Icon(CheckerTestCase):
    def with_icon(self, ico, extra=""):
        B.count += 1
        name = "i%d.ico" % B.count
        B.write(name, ico)
        rc = B.text("vexo.rc").replace('"vexo.ico"', '"%s"' % name) + extra
        return B.exe(B.rc_object(rc))

    def test_other_name(self):
        self.assertFails(self.variant(r"^MAINICON ICON", "APPICON ICON"),
                         "icon group name: expected MAINICON, found APPICON")

    def test_second_icon(self):
        self.assertFails(self.variant(r'^(MAINICON ICON "vexo.ico")', r'\1\nOTHER ICON "vexo.ico"'),
                         "icon groups: expected exactly one, named MAINICON, found 2")

    def test_wrong_depth_and_size(self):
        self.assertFails(self.with_icon(blank_ico([(32, 32, 8, 8)])),
                         "icon group entry: expected 32x32, 4 bits, 16 colours, found 32x32, 8 bits, 0 colours",
                         "icon image 1 header: expected 32x64, 4 bits, found 32x64, 8 bits")
        self.assertFails(self.with_icon(blank_ico([(16, 16, 4, 4)])),
                         "expected 32x32, 4 bits, 16 colours, found 16x16, 4 bits, 16 colours",
                         "expected 32x64, 4 bits, found 16x32, 4 bits")

    def test_image_that_disagrees_with_its_listing(self):
        self.assertFails(self.with_icon(blank_ico([(32, 32, 8, 4)])),
                         "icon image 1 header: expected 32x64, 4 bits, found 32x64, 8 bits")

    def test_more_than_one_image(self):
        self.assertFails(self.with_icon(blank_ico([(32, 32, 4, 4), (16, 16, 4, 4)])),
                         "icon group: expected one icon image, found type 1 with 2 images")


class Manifest(CheckerTestCase):
    def with_manifest(self, old, new, rc_edit=lambda rc: rc):
        text = B.text("vexo.manifest")
        self.assertIn(old, text)
        B.count += 1
        name = "m%d.manifest" % B.count
        B.write(name, text.replace(old, new))
        rc = rc_edit(B.text("vexo.rc").replace('"vexo.manifest"', '"%s"' % name))
        return B.exe(B.rc_object(rc))

    def test_elevation(self):
        self.assertFails(self.with_manifest('level="asInvoker"', 'level="requireAdministrator"'),
                         "manifest execution level: expected asInvoker, found requireAdministrator")

    def test_old_common_controls(self):
        self.assertFails(self.with_manifest('version="6.0.0.0"', 'version="5.82.0.0"'),
                         "expected a Microsoft.Windows.Common-Controls 6.0.0.0 dependency, found 5.82.0.0")

    def test_dpi_awareness_only_in_a_comment(self):
        self.assertFails(self.with_manifest(
            '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>',
            "<!-- <dpiAware>true</dpiAware> -->"),
            "manifest dpiAware: expected true, found none")

    def test_manifest_under_another_id(self):
        self.assertFails(self.with_manifest("", "", lambda rc: rc.replace(
            "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST", "2 RT_MANIFEST")),
            "manifest: expected RT_MANIFEST id 1, found 2")


class TimeStamp(CheckerTestCase):
    STAMP = 1700000000  # a commit's date

    def stamped(self, time_stamp=STAMP, patch=None):
        """The good program linked at time_stamp (None: now); patch(data, pe_offset)
        may then edit its bytes."""
        path = B.exe(B.rc_object(), time_stamp=time_stamp)
        if patch is None:
            return path
        with open(path, "rb") as f:
            data = bytearray(f.read())
        patch(data, struct.unpack_from("<I", data, 0x3C)[0])
        B.count += 1
        out = B.path("s%d.exe" % B.count)
        B.write(out, bytes(data))
        return out

    def test_the_tree_s_stamp_passes_and_is_named(self):
        rc, lines = B.check(self.stamped(), "--time-stamp", str(self.STAMP))
        self.assertEqual(rc, 0, lines)
        self.assertIn("stamped %d" % self.STAMP, lines[0])

    def test_faults(self):
        def set_stamp(data, pe):
            struct.pack_into("<I", data, pe + 8, self.STAMP)

        def another_stamp_with_its_checksum(data, pe):
            struct.pack_into("<I", data, pe + 8, self.STAMP + 1)
            struct.pack_into("<I", data, pe + 24 + 64, pefile.PE(data=bytes(data)).generate_checksum())

        cases = [
            ("linked at the time of the build", lambda: self.stamped(None),
             ["time stamp: expected %d (the tree's), found" % self.STAMP]),
            ("another stamp, its checksum made to match", lambda: self.stamped(
                patch=another_stamp_with_its_checksum),
             ["time stamp: expected %d (the tree's), found %d" % (self.STAMP, self.STAMP + 1)]),
            ("the stamp patched in after the link", lambda: self.stamped(None, set_stamp),
             ["checksum: expected 0x"]),
        ]
        for name, make, expected in cases:
            with self.subTest(name):
                self.assertFails(make(), *expected, options=("--time-stamp", str(self.STAMP)))

    def test_without_the_option_any_stamp_passes(self):
        rc, lines = B.check(B.exe(B.rc_object()))
        self.assertEqual(rc, 0, lines)


class IconFile(unittest.TestCase):
    def test_vexo_ico_is_what_the_script_draws(self):
        out = os.path.join(B.dir, "drawn.ico")
        run([sys.executable, os.path.join(RES, "draw_icon.py"), out])
        with open(out, "rb") as a, open(os.path.join(RES, "vexo.ico"), "rb") as b:
            self.assertEqual(a.read(), b.read(), "vexo.ico is stale: run res/draw_icon.py")

    def test_another_reader_sees_the_drawn_picture(self):
        # ImageMagick decodes the file on its own: row order, nibble order,
        # palette byte order and mask polarity all have to be right.
        raw = subprocess.run(["convert", os.path.join(RES, "vexo.ico"), "-depth", "8", "rgba:-"],
                             capture_output=True, check=True).stdout
        size = draw_icon.SIZE
        self.assertEqual(len(raw), size * size * 4)
        wrong = []
        for y, row in enumerate(draw_icon.draw()):
            for x, c in enumerate(row):
                r, g, b, a = raw[4 * (y * size + x):4 * (y * size + x) + 4]
                want = (0,) if c is None else draw_icon.PALETTE[c] + (255,)
                got = (a,) if c is None else (r, g, b, a)
                if got != want:
                    wrong.append((x, y, want, got))
        self.assertEqual(wrong, [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
