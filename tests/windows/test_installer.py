"""The Windows Installer package under Wine, installed and removed as an ordinary user
would (as root the test makes a user for the run, since Wine run by root may write
anywhere), in a fresh prefix: msiexec /i and /x without a user interface; the files,
the Start menu shortcut and the Apps & Features entry as Windows Installer recorded
them, read back with reg query; the installed program started with its folder not
writable, keeping the user's choice in %APPDATA%; an earlier version upgraded and a
downgrade refused; and what stays once the package is removed."""

import os
import struct
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import harness
from harness import BASE_CAPTION, InstalledProgram, run_wine, settings, windows_path

SOURCE_DIR = Path(os.environ["TOVIRA_SOURCE_DIR"])
VERSION = os.environ["TOVIRA_VERSION"]
CPACK_CONFIG = os.environ["TOVIRA_CPACK_CONFIG"]
ICON = Path(os.environ["TOVIRA_WINDOWS_ICON"])
EARLIER_VERSION = "0.9.0"

FOLDER = r"C:\Program Files\ToviraWatch"
FILES = ["LICENSE", "ToviraWatch.exe", "ToviraWatch.ini", "tick.wav"]
# The files installed as the project holds them; the shared settings are every user's defaults.
DEFAULT_SETTINGS = SOURCE_DIR / "resources/settings/ToviraWatch.ini"
SHIPPED_FILES = {"LICENSE": SOURCE_DIR / "LICENSE", "ToviraWatch.ini": DEFAULT_SETTINGS,
                 "tick.wav": SOURCE_DIR / "resources/sounds/tick.wav"}
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PRODUCTS = r"HKLM\Software\Classes\Installer\Products"
# Windows Installer's record of the components it installed for all users (the system's SID).
COMPONENTS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Components"
USER_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
MACHINE_FOLDERS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
# ERROR_INSTALL_FAILURE, of which the Linux exit status keeps the low byte.
INSTALL_FAILURE = 1603 & 0xFF
MSIEXEC_TIMEOUT = 180
HMS = ("Conf", "Marcadores  ", "HMS   ")


class Package:
    """ToviraWatch-<version>-windows-x64.msi packed anew by cpack from this build, where the
    prefix's user may read it."""

    def __init__(self, version, name):
        with tempfile.TemporaryDirectory() as folder:
            stem = f"ToviraWatch-{version}-windows-x64"
            result = subprocess.run(["cpack", "--config", CPACK_CONFIG, "-G", "External", "-B", folder,
                                     "-D", f"CPACK_PACKAGE_VERSION={version}", "-D", f"CPACK_PACKAGE_FILE_NAME={stem}"],
                                    capture_output=True, text=True, timeout=300)
            if result.returncode != 0:
                raise AssertionError(f"cpack failed for {version}:\n{result.stdout}{result.stderr}")
            self.path = harness.PREFIX.provide(Path(folder) / f"{stem}.msi", name)
        table = subprocess.run(["msiinfo", "export", str(self.path), "Property"], check=True, capture_output=True,
                               text=True, timeout=60).stdout.splitlines()[3:]  # after the column names and types
        self.product_code = dict(line.split("\t", 1) for line in table)["ProductCode"]
        self.version = version


PACKAGES = {}


def setUpModule():
    harness.open_prefix(ordinary_user=True)
    unittest.addModuleCleanup(harness.close_prefix)
    for version in (EARLIER_VERSION, VERSION):
        PACKAGES[version] = Package(version, f"ToviraWatch-{version}.msi")
    print(f"\n{PACKAGES[VERSION].path.name}: {PACKAGES[VERSION].path.stat().st_size} bytes")


def msiexec(action, package):
    """msiexec without a user interface: its exit status, and how long it took."""
    started = time.monotonic()
    code, _, _ = run_wine("msiexec", action, windows_path(package.path), "/qn", timeout=MSIEXEC_TIMEOUT,
                          **harness.PREFIX.process)
    seconds = time.monotonic() - started
    print(f"msiexec {action} {package.path.name}: status {code}, {seconds:.2f} s")
    return code


def packed(guid):
    """A GUID as Windows Installer names its registry keys: the first three groups
    reversed, the other two reversed byte by byte."""
    groups = guid.strip("{}").split("-")
    pairs = [group[i:i + 2][::-1] for group in groups[3:] for i in range(0, len(group), 2)]
    return "".join(group[::-1] for group in groups[:3]) + "".join(pairs)


def entries():
    """The Apps & Features entries of ToviraWatch, by key (the product code)."""
    return {key.rsplit("\\", 1)[1]: values for key, values in harness.PREFIX.registry(UNINSTALL).items()
            if values.get("DisplayName") == "ToviraWatch"}


def installed_files(package):
    """The key file of each component installed for the product, as Windows Installer recorded it."""
    product = packed(package.product_code)
    return sorted(values[product] for values in harness.PREFIX.registry(COMPONENTS).values() if product in values)


def product_icon(package):
    return harness.PREFIX.registry_values(rf"{PRODUCTS}\{packed(package.product_code)}").get("ProductIcon")


def shortcuts():
    """The Start menu shortcuts named ToviraWatch: in all users' menu, where Windows puts a
    package's installed for everyone, or in the installing user's, where Wine's msi puts
    every one (its ProgramMenuFolder ignores ALLUSERS)."""
    folders = [harness.PREFIX.registry_value(MACHINE_FOLDERS, "Common Programs"),
               harness.PREFIX.registry_value(USER_FOLDERS, "Programs")]
    return [link for link in (harness.PREFIX.linux_path(folder) / "ToviraWatch.lnk" for folder in folders)
            if link.exists()]


def user_settings():
    """The user's own copy of the settings, %APPDATA%\\ToviraWatch\\ToviraWatch.ini."""
    app_data = harness.PREFIX.registry_value(USER_FOLDERS, "AppData")
    return harness.PREFIX.linux_path(app_data) / "ToviraWatch" / "ToviraWatch.ini"


def shell_link(path):
    """What a shortcut (.lnk, the Shell Link format) holds: its target's path, and its
    description, working folder, arguments and icon where it has them."""
    data = path.read_bytes()
    flags = struct.unpack_from("<I", data, 20)[0]
    if not flags & 0x80:
        raise AssertionError(f"{path}: strings not in UTF-16")
    offset = 76  # the header
    if flags & 0x1:  # the target as a shell item list, passed over
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    link = {}
    if flags & 0x2:  # where the target lies: a local base path and a common suffix
        size, _, location, _, base, _, suffix = struct.unpack_from("<7I", data, offset)
        if location & 0x1:
            link["target"] = "".join(data[start:data.index(b"\0", start)].decode("ascii")
                                     for start in (offset + base, offset + suffix))
        offset += size
    for flag, name in ((0x4, "description"), (0x8, "relative path"), (0x10, "working folder"), (0x20, "arguments"),
                       (0x40, "icon")):
        if flags & flag:
            count = struct.unpack_from("<H", data, offset)[0]
            # (Wine's shell counts the terminating NUL too.)
            link[name] = data[offset + 2:offset + 2 + 2 * count].decode("utf-16-le").rstrip("\0")
            offset += 2 + 2 * count
    return link


def drive_c_files():
    """Every file on the prefix's drive C: with its size and time of change."""
    return {path: (stat.st_size, stat.st_mtime_ns) for path in (harness.PREFIX.path / "drive_c").rglob("*")
            if path.is_file() and not path.is_symlink() for stat in [path.stat()]}


class InstallerTest(unittest.TestCase):
    def setUp(self):
        self.addCleanup(self.remove_every_version)
        self.user_copy = user_settings()
        if self.user_copy.exists():
            self.user_copy.unlink()

    @staticmethod
    def remove_every_version():
        for product_code in entries():
            run_wine("msiexec", "/x", product_code, "/qn", timeout=MSIEXEC_TIMEOUT, **harness.PREFIX.process)

    def assert_installed(self, package):
        """One entry, of this package; its files, shortcut and icon in place."""
        self.assertEqual(list(entries()), [package.product_code])
        entry = entries()[package.product_code]
        self.assertEqual({name: entry.get(name) for name in ("DisplayVersion", "Publisher", "UninstallString")},
                         {"DisplayVersion": package.version, "Publisher": "The ToviraWatch developers",
                          "UninstallString": f"MsiExec.exe /X{package.product_code}"})

        self.assertEqual(installed_files(package), [rf"{FOLDER}\{name}" for name in FILES])
        folder = harness.PREFIX.linux_path(FOLDER)
        self.assertEqual(sorted(path.name for path in folder.iterdir()), FILES)
        for name, source in SHIPPED_FILES.items():
            self.assertEqual((folder / name).read_bytes(), source.read_bytes(), name)

        links = shortcuts()
        self.assertEqual(len(links), 1, links)
        link = shell_link(links[0])
        self.assertEqual((link.get("target"), link.get("working folder", "").rstrip("\\"), link.get("arguments")),
                         (rf"{FOLDER}\ToviraWatch.exe", FOLDER, None))
        for icon, what in ((link.get("icon"), "the shortcut's icon"), (product_icon(package), "the entry's icon")):
            self.assertIsNotNone(icon, what)
            self.assertEqual(harness.PREFIX.linux_path(icon).read_bytes(), ICON.read_bytes(), what)

    def run_installed(self, caption, choice=None, chosen_caption=None):
        """Starts the installed program with its folder not writable, as Program Files is
        for a user of Windows; checks its caption and that no box shows, makes the choice
        (a menu path) and closes the window."""
        folder = harness.PREFIX.linux_path(FOLDER)
        folder.chmod(0o555)
        try:
            with InstalledProgram(self, folder) as program:
                self.assertEqual(program.read()["title"], BASE_CAPTION + caption)
                self.assertEqual(program.boxes(), [])
                if choice:
                    program.choose(*choice)
                    program.wait_for(lambda window: window["title"] == BASE_CAPTION + chosen_caption, "the choice")
                program.close_by_window_manager()
                program.wait_exit()
        finally:
            folder.chmod(0o755)


class Install(InstallerTest):
    def test_for_every_user_then_removed_leaving_each_users_settings(self):
        package = PACKAGES[VERSION]
        self.assertEqual(msiexec("/i", package), 0)
        self.assert_installed(package)
        icon = harness.PREFIX.linux_path(product_icon(package))

        # The first start reads the shared defaults; closing writes the user's own copy,
        # and nothing else.
        before = drive_c_files()
        self.run_installed("[秒]", HMS, "[時分秒]")
        after = drive_c_files()
        self.assertEqual([path for path in after if before.get(path) != after[path]], [self.user_copy])
        self.assertEqual(before.keys() - after.keys(), set())
        self.assertEqual(self.user_copy.read_bytes().splitlines(), settings(LapType=2).splitlines())
        self.assertEqual((harness.PREFIX.linux_path(FOLDER) / "ToviraWatch.ini").read_bytes(),
                         DEFAULT_SETTINGS.read_bytes(), "the shared defaults")

        self.assertEqual(msiexec("/x", package), 0)
        self.assertEqual((entries(), installed_files(package), shortcuts(), product_icon(package)), ({}, [], [], None))
        self.assertFalse(harness.PREFIX.linux_path(FOLDER).exists())
        self.assertFalse(icon.exists())
        self.assertEqual(self.user_copy.read_bytes().splitlines(), settings(LapType=2).splitlines())


class Upgrade(InstallerTest):
    def test_a_later_version_replaces_an_earlier_one_and_keeps_the_settings(self):
        earlier, later = PACKAGES[EARLIER_VERSION], PACKAGES[VERSION]
        self.assertEqual(msiexec("/i", earlier), 0)
        self.assertEqual({code: values["DisplayVersion"] for code, values in entries().items()},
                         {earlier.product_code: EARLIER_VERSION})
        self.run_installed("[秒]", HMS, "[時分秒]")

        self.assertEqual(msiexec("/i", later), 0)
        self.assert_installed(later)
        self.assertEqual((installed_files(earlier), product_icon(earlier)), ([], None))
        self.assertEqual(self.user_copy.read_bytes().splitlines(), settings(LapType=2).splitlines())
        self.run_installed("[時分秒]")

        # The same version built again is never listed twice, and an earlier one does
        # not replace a later one.
        rebuilt = Package(VERSION, f"ToviraWatch-{VERSION}-rebuilt.msi")
        msiexec("/i", rebuilt)
        self.assertEqual(list(entries()), [later.product_code])
        self.assertEqual(msiexec("/i", earlier), INSTALL_FAILURE)
        self.assert_installed(later)


if __name__ == "__main__":
    harness.main()
