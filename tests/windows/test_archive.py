"""The archive handed to Windows users: one folder named after the version, holding
exactly the program, its sound, the shipped settings, the licence and the README in
Windows line endings."""

import os
import struct
import subprocess
import tempfile
import unittest
import zipfile
from pathlib import Path

BUILD_DIR = Path(os.environ["TOVIRA_WINDOWS_PROGRAM_DIR"])
SOURCE_DIR = Path(os.environ["TOVIRA_SOURCE_DIR"])
VERSION = os.environ["TOVIRA_VERSION"]


class Archive(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.packages = tempfile.TemporaryDirectory()
        subprocess.run(["cpack", "--config", str(BUILD_DIR / "CPackConfig.cmake"), "-G", "ZIP", "-B", cls.packages.name],
                       check=True, capture_output=True, timeout=300)
        cls.archive = zipfile.ZipFile(Path(cls.packages.name) / f"ToviraWatch-{VERSION}-windows-x64.zip")

    @classmethod
    def tearDownClass(cls):
        cls.archive.close()
        cls.packages.cleanup()

    def member(self, name):
        return self.archive.read(f"ToviraWatch-{VERSION}-windows-x64/{name}")

    def test_one_folder_with_the_program_and_its_files(self):
        folder = f"ToviraWatch-{VERSION}-windows-x64/"
        files = sorted(name for name in self.archive.namelist() if not name.endswith("/"))
        self.assertEqual(files, [folder + name for name in
                                 ["LICENSE", "README.txt", "ToviraWatch.exe", "ToviraWatch.ini", "tick.wav"]])

    def test_files_as_shipped(self):
        self.assertEqual(self.member("ToviraWatch.ini"), (SOURCE_DIR / "resources/settings/ToviraWatch.ini").read_bytes())
        self.assertEqual(self.member("tick.wav"), (SOURCE_DIR / "resources/sounds/tick.wav").read_bytes())
        readme = self.member("README.txt")
        self.assertEqual(readme.count(b"\n"), readme.count(b"\r\n"), "README.txt in Windows line endings")
        self.assertIn(rb"%APPDATA%\ToviraWatch\ToviraWatch.ini", readme)

    def test_program_is_a_stripped_x64_executable(self):
        program = self.member("ToviraWatch.exe")
        self.assertEqual(program[:2], b"MZ")
        header = struct.unpack_from("<I", program, 0x3C)[0]
        signature, machine, _, _, _, symbols = struct.unpack_from("<4sHHIII", program, header)
        self.assertEqual((signature, machine), (b"PE\0\0", 0x8664))
        self.assertEqual(symbols, 0, "COFF symbols left in")


if __name__ == "__main__":
    unittest.main(verbosity=2)
