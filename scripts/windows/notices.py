#!/usr/bin/env python3
"""Third-party notices of the Windows program, made from the sources that were built.

  notices.py keep <Qt source> <Qt build> <folder>   (ninja -t deps on standard input)
      keeps, before the Qt source goes, the files each target of its build compiled or included,
      Qt's attribution records with the license files they name, and its license texts.
  notices.py write <folder> <out> --qt-version V --options "..." --system "Debian N" --targets T,...
      [--runtime DLL...]
      writes the notices of a program that ships the named Qt targets (the static libraries they
      link included) and the runtime DLLs, each with the copyright file of its Debian package.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys


def attribution_records(path):
    with open(path, encoding="utf-8") as f:
        data = json.loads(f.read(), strict=False)
    return data if isinstance(data, list) else [data]


def license_files(entry):
    names = entry.get("LicenseFiles") or entry.get("LicenseFile", "").split()
    return [names] if isinstance(names, str) else names


def keep(tree, build, into):
    tree = os.path.realpath(tree)
    built = set()
    target = None
    for line in sys.stdin:
        if not line.startswith(" "):
            # "<object>: #deps ...": the object's folder names its target, "<target>.dir".
            folders = [f for f in line.split(":")[0].split("/") if f.endswith(".dir")]
            target = folders[-1][:-len(".dir")] if folders else None
        elif target and line.startswith("    ") and not line.startswith("     "):
            path = os.path.realpath(os.path.join(build, line.strip()))
            if path.startswith(tree + os.sep):
                built.add((target, os.path.relpath(path, tree)))
    os.makedirs(into, exist_ok=True)
    with open(os.path.join(into, "built-files.txt"), "w", encoding="utf-8") as f:
        f.writelines("%s\t%s\n" % entry for entry in sorted(built))

    wanted = set()
    wanted.update(os.path.join("LICENSES", n) for n in os.listdir(os.path.join(tree, "LICENSES")))
    for folder, _, names in os.walk(tree):
        if "qt_attribution.json" not in names:
            continue
        record = os.path.join(folder, "qt_attribution.json")
        wanted.add(os.path.relpath(record, tree))
        for entry in attribution_records(record):
            for name in license_files(entry):
                wanted.add(os.path.relpath(os.path.realpath(os.path.join(folder, name)), tree))
    for rel in sorted(wanted):
        source = os.path.join(tree, rel)
        if os.path.isfile(source):
            os.makedirs(os.path.dirname(os.path.join(into, rel)) or into, exist_ok=True)
            shutil.copyfile(source, os.path.join(into, rel))


RULE = "=" * 78


def applies(entry, folder, built):
    """Whether any built file is one of the entry's files, or lies in its folder when it names none."""
    files = entry.get("Files", "")
    # Qt 6.4's records give the files as one string, Qt 6.8's also as a list.
    files = " ".join(files) if isinstance(files, list) else files
    files = files.replace(",", " ").split()
    if not files:
        return any(path.startswith(folder + "/") for path in built)
    wanted = {os.path.normpath(os.path.join(folder, name)) for name in files}
    return any(path in wanted or any(path.startswith(w + "/") for w in wanted) for path in built)


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read().rstrip() + "\n"


def debian_copyright(dll):
    """The Debian package that installed the file, and its copyright file."""
    owner = subprocess.run(["dpkg", "-S", os.path.realpath(dll)], capture_output=True, text=True, check=True)
    package = owner.stdout.split(":")[0].strip()
    return package, os.path.realpath("/usr/share/doc/%s/copyright" % package)


def write(args):
    kept = args.folder
    targets = set(args.targets.split(","))
    built = set()
    with open(os.path.join(kept, "built-files.txt"), encoding="utf-8") as f:
        for line in f:
            target, path = line.rstrip("\n").split("\t")
            # The bundled third-party libraries are linked into the Qt libraries that use them.
            if target in targets or target.startswith("Bundled"):
                built.add(path)

    out = []
    out += ["Third-party software in Tolvy Sarnavel for Windows", RULE, ""]
    out += ["Tolvy Sarnavel uses the following software, each under its own license, given in",
            "full below. The program itself is not covered by these licenses.", ""]
    out += ["1. Qt %s (%s)" % (args.qt_version.split("+")[0], ", ".join(args.dlls)), RULE, ""]
    out += ["Copyright (C) The Qt Company Ltd. and other contributors.",
            "Qt is used under the GNU Lesser General Public License version 3 (LGPL-3.0), whose",
            "text follows, together with the GNU General Public License version 3 it builds on.",
            "The program loads Qt from the DLLs beside it: you may replace them with your own",
            "build of the same Qt version.", "",
            "The Qt DLLs were built, unchanged, from Debian's source package qt6-base version",
            "%s, with the MinGW-w64 cross compiler of %s and these options:" % (args.qt_version, args.system), ""]
    out += ["    " + option for option in args.options.split()]
    out += ["", "The source: on %s, `apt-get source qt6-base=%s`; or from" % (args.system, args.qt_version),
            "https://snapshot.debian.org/package/qt6-base/%s/ ." % args.qt_version,
            "The build is scripts/windows/qt.sh of this program's build scripts; we send a copy of",
            "the source, of those scripts, or both, on request for three years from this release.", ""]
    for name in ("LGPL-3.0-only.txt", "GPL-3.0-only.txt"):
        out += [RULE, read(os.path.join(kept, "LICENSES", name))]

    out += ["2. Third-party code compiled into Qt", RULE, ""]
    entries = []
    for folder, _, names in os.walk(kept):
        if "qt_attribution.json" in names:
            record = os.path.join(folder, "qt_attribution.json")
            relative = os.path.relpath(folder, kept)
            entries += [(entry, folder) for entry in attribution_records(record) if applies(entry, relative, built)]
    for entry, folder in sorted(entries, key=lambda e: e[0].get("Name", e[0].get("Id", ""))):
        out += ["%s%s" % (entry.get("Name", entry.get("Id")), " " + entry["Version"] if entry.get("Version") else "")]
        out += ["-" * 78]
        for key in ("Homepage", "License", "LicenseId", "Copyright"):
            if entry.get(key):
                value = entry[key]
                value = " ".join(value) if isinstance(value, list) else str(value)
                out += ["%s: %s" % (key, " ".join(value.split()))]
        for name in license_files(entry):
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                out += ["", read(path)]
        out += [""]

    if args.runtime:
        out += ["3. The compiler's run-time libraries", RULE, ""]
        packages = {}
        for dll in args.runtime:
            package, copyright = debian_copyright(dll)
            packages.setdefault((package, copyright), []).append(os.path.basename(dll))
        for (package, copyright), dlls in sorted(packages.items()):
            out += ["%s, from Debian's package %s:" % (", ".join(sorted(dlls)), package), "",
                    read(copyright), ""]
        out += ["The GNU General Public License version 3 these name is given in full in part 1."]

    with open(args.out, "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(out) + "\n")
    print("%s: %d third-party components, %d KiB" % (args.out, len(entries), os.path.getsize(args.out) // 1024))


def main(argv):
    if len(argv) == 5 and argv[1] == "keep":
        keep(*argv[2:])
        return 0
    if len(argv) > 1 and argv[1] == "write":
        parser = argparse.ArgumentParser(prog="notices.py write")
        parser.add_argument("folder")
        parser.add_argument("out")
        parser.add_argument("--qt-version", required=True)
        parser.add_argument("--options", required=True)
        parser.add_argument("--system", required=True)
        parser.add_argument("--targets", required=True)
        parser.add_argument("--dlls", nargs="+", required=True)
        parser.add_argument("--runtime", nargs="*", default=[])
        write(parser.parse_args(argv[2:]))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
