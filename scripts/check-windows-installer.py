#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks a Windows installer that the build makes (windows-package/ of the
build folder, from packaging/windows/installer/) by reading its tables with
msitools' msiinfo, without installing it:

  scripts/check-windows-installer.py --arch x64|x86 --version VERSION
      --upgrade-code GUID --manufacturer NAME --product-name NAME
      --programmer-feature FEATURE --build WINDOWS_BUILD_DIR
      --source SOURCE_DIR --icon ICO MSI

It targets the Program Files of its width and that platform; installs
Kestrix.exe, kestlink.dll, README.txt and LICENSE.txt by default, and the
header, the import library and the module definition of its width only as the feature
FEATURE; every file it carries is the build's own; the Start-menu entry
starts the installed Kestrix.exe with the icon; installed programs list it
with the publisher, version, icon and UpgradeCode given, and a later version
replaces it. Exit status 0 when all holds; one line for each check.
"""
import argparse
import glob
import os
import re
import subprocess
import sys
import tempfile

failures = []


def check(ok, what, detail=""):
    if ok:
        print("ok: " + what)
    else:
        failures.append(what)
        print("FAIL: " + what + (" (" + detail + ")" if detail else ""))


def msiinfo(*arguments, binary=False):
    return subprocess.run(["msiinfo", *arguments], check=True, capture_output=True, text=not binary).stdout


def table(msi, name):
    """The rows of a table as dicts by column; none when the table is absent."""
    if name not in msiinfo("tables", msi).split():
        return []
    lines = msiinfo("export", msi, name).split("\n")
    # Line 1 names the columns, 2 gives their types, 3 the table and its keys.
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def long_name(default_dir):
    """The long name of a Filename value ("SHORT|long" or one name)."""
    return default_dir.split("|")[-1]


def guid(text):
    return text.strip("{}").upper()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    for option in ("arch", "version", "upgrade-code", "manufacturer", "product-name", "programmer-feature",
                   "build", "source", "icon"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("msi")
    args = parser.parse_args()
    msi = args.msi
    if not os.path.isfile(msi):
        print("FAIL: %s not found (build the target kestrix_windows_package first)" % msi)
        return 1

    wide = args.arch == "x64"
    program_files = "ProgramFiles64Folder" if wide else "ProgramFilesFolder"
    platform = "x64" if wide else "Intel"
    pe_format = "pei-x86-64" if wide else "pei-i386"
    def_name = "kestlink.def" if wide else "kestlink-x86.def"
    # Where each file the installer carries comes from, by its place in the
    # install folder, and which are the feature's for programmers.
    program_files_of_build = {
        "Kestrix.exe": os.path.join(args.build, "operator", "win32", "Kestrix.exe"),
        "kestlink.dll": os.path.join(args.build, "devicelink", "kestlink.dll"),
        "README.txt": None,  # made for the installer; checked below
        "LICENSE.txt": None,  # the project's LICENSE with Windows line ends
    }
    programmer_files = {
        "include/kestlink.h": os.path.join(args.source, "devicelink", "include", "kestlink.h"),
        "lib/libkestlink.dll.a": os.path.join(args.build, "devicelink", "libkestlink.dll.a"),
        "lib/" + def_name: os.path.join(args.source, "devicelink", def_name),
    }
    print("== " + msi)

    summary = msiinfo("suminfo", msi)
    template = re.search(r"^Template: (.*)$", summary, re.M)
    check(template and template.group(1).split(";")[0] == platform,
          "the package is for the %s platform" % platform, template.group(1) if template else "no template")

    properties = {row["Property"]: row["Value"] for row in table(msi, "Property")}
    for name, expected in (("ProductVersion", args.version), ("Manufacturer", args.manufacturer),
                           ("ProductName", args.product_name), ("ALLUSERS", "1")):
        check(properties.get(name) == expected, "%s is %s" % (name, expected), "it is %r" % properties.get(name))
    check(guid(properties.get("UpgradeCode", "")) == guid(args.upgrade_code),
          "UpgradeCode is {%s}" % guid(args.upgrade_code), "it is %r" % properties.get("UpgradeCode"))
    check(re.fullmatch(r"\{[0-9A-F-]{36}\}", properties.get("ProductCode", "")) is not None,
          "ProductCode is a GUID", repr(properties.get("ProductCode")))
    icons = {row["Name"] for row in table(msi, "Icon")}
    icon = properties.get("ARPPRODUCTICON")
    check(icon in icons, "ARPPRODUCTICON names an icon of the Icon table", "%r, icons %s" % (icon, sorted(icons)))
    if icon in icons:
        with open(args.icon, "rb") as drawn:
            check(msiinfo("extract", msi, "Icon." + icon, binary=True) == drawn.read(),
                  "the icon is the one the build drew (%s)" % os.path.basename(args.icon))

    # The folders, each as a path from the root of the install.
    directories = {row["Directory"]: row for row in table(msi, "Directory")}
    install = [d for d, row in directories.items() if long_name(row["DefaultDir"]) == "Kestrix"]
    check(len(install) == 1 and directories[install[0]]["Directory_Parent"] == program_files,
          "the install folder is Kestrix in %s" % program_files,
          ", ".join("%s in %s" % (d, directories[d]["Directory_Parent"]) for d in install) or "none")
    check(directories.get(program_files, {}).get("Directory_Parent") == "TARGETDIR",
          "%s lies in TARGETDIR" % program_files)

    def place(directory):
        """The folder's path inside the install folder; None when outside."""
        parts = []
        while directory and directory not in install:
            parts.insert(0, long_name(directories[directory]["DefaultDir"]))
            directory = directories[directory]["Directory_Parent"]
        return "/".join(parts) if directory else None

    components = {row["Component"]: row for row in table(msi, "Component")}
    feature_of = {row["Component_"]: row["Feature_"] for row in table(msi, "FeatureComponents")}
    features = {row["Feature"]: row for row in table(msi, "Feature")}
    install_level = int(properties.get("INSTALLLEVEL", "1"))
    files = {}
    for row in table(msi, "File"):
        component = components[row["Component_"]]
        folder = place(component["Directory_"])
        path = long_name(row["FileName"]) if folder == "" else "%s/%s" % (folder, long_name(row["FileName"]))
        files[path] = dict(row, feature=feature_of.get(row["Component_"]), component=component)

    def installed_by_default(feature):
        level = int(features[feature]["Level"]) if feature in features else 0
        return 0 < level <= install_level

    default = {path for path, f in files.items() if installed_by_default(f["feature"])}
    check(default == set(program_files_of_build), "installed by default: %s" % ", ".join(sorted(program_files_of_build)),
          "found %s" % ", ".join(sorted(default)))
    programmer = {path for path, f in files.items() if f["feature"] == args.programmer_feature}
    check(programmer == set(programmer_files),
          "the feature %s holds %s" % (args.programmer_feature, ", ".join(sorted(programmer_files))),
          "found %s" % ", ".join(sorted(programmer)))
    check(args.programmer_feature in features and not installed_by_default(args.programmer_feature),
          "the feature %s is not installed by default" % args.programmer_feature,
          "level %s" % features.get(args.programmer_feature, {}).get("Level"))
    others = set(files) - default - programmer
    check(not others, "the installer carries no other file", ", ".join(sorted(others)))

    # Windows keeps a 64-bit component's files and keys out of the 32-bit
    # views; a 32-bit one's in them.
    attribute = 256 if wide else 0
    wrong = sorted(c for c, row in components.items() if int(row["Attributes"]) & 256 != attribute)
    check(not wrong, "every component is %s" % ("64-bit" if wide else "32-bit"), ", ".join(wrong))
    unkeyed = sorted(path for path, f in files.items() if f["component"]["KeyPath"] != f["File"])
    check(not unkeyed, "each file is the key path of a component of its own", ", ".join(unkeyed))

    shortcuts = table(msi, "Shortcut")
    exe = files.get("Kestrix.exe")
    check(len(shortcuts) == 1, "one shortcut", "%d" % len(shortcuts))
    if shortcuts and exe:
        entry = shortcuts[0]
        check(entry["Directory_"] == "ProgramMenuFolder" and long_name(entry["Name"]) == args.product_name,
              "the shortcut is \"%s\" in the Start menu's programs" % args.product_name,
              "%s in %s" % (entry["Name"], entry["Directory_"]))
        check(entry["Target"] == "[#%s]" % exe["File"] and entry["Component_"] == exe["Component_"],
              "the shortcut starts the installed Kestrix.exe", "target %s" % entry["Target"])
        check(entry["Icon_"] == icon, "the shortcut has the program's icon", "icon %r" % entry["Icon_"])
        check(entry["WkDir"] in install, "the shortcut starts in the install folder", "in %r" % entry["WkDir"])

    upgrades = [row for row in table(msi, "Upgrade") if guid(row["UpgradeCode"]) == guid(args.upgrade_code)]
    # Attributes bit 2 is "only detect": a row without it removes what it finds.
    removes_older = [row for row in upgrades
                     if row["VersionMax"] == args.version and not int(row["Attributes"]) & 2
                     and not int(row["Attributes"]) & 0x200]
    sequence = {row["Action"] for row in table(msi, "InstallExecuteSequence")}
    check(removes_older and {"FindRelatedProducts", "RemoveExistingProducts"} <= sequence,
          "an older version of the same UpgradeCode is found and removed")

    # What the installer carries, unpacked, against what the build made.
    with tempfile.TemporaryDirectory() as unpacked:
        subprocess.run(["msiextract", "-C", unpacked, msi], check=True, capture_output=True)
        # msiextract names some system folders ("Program Files") and not
        # others: the install folder is where Kestrix.exe came out.
        exes = glob.glob(os.path.join(unpacked, "**", "Kestrix.exe"), recursive=True)
        root = os.path.dirname(exes[0]) if len(exes) == 1 else os.path.join(unpacked, "Kestrix")
        for path, source in sorted({**program_files_of_build, **programmer_files}.items()):
            carried = os.path.join(root, path)
            if not os.path.isfile(carried):
                check(False, "%s is carried" % path)
                continue
            if source:
                with open(carried, "rb") as a, open(source, "rb") as b:
                    check(a.read() == b.read(), "%s is the build's %s" % (path, source))
            if path.endswith((".exe", ".dll")):
                found = subprocess.run(["x86_64-w64-mingw32-objdump", "-f", carried], capture_output=True,
                                       text=True).stdout
                format_ = re.search(r"file format (\S+)", found)
                check(format_ and format_.group(1) == pe_format, "%s is %s" % (path, pe_format),
                      format_.group(1) if format_ else "no PE file")
        readme = os.path.join(root, "README.txt")
        if os.path.isfile(readme):
            with open(readme, "rb") as f:
                data = f.read()
            bare = data.replace(b"\r\n", b"")
            check(data.endswith(b"\r\n") and b"\n" not in bare and b"\r" not in bare, "README.txt has CRLF line ends")

    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("OK: %s is the %s installer of Kestrix %s" % (os.path.basename(msi), args.arch, args.version))
    return 0


if __name__ == "__main__":
    sys.exit(main())
