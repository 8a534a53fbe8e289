#!/usr/bin/env python3
"""Makes the release archive from the files in the dist folder:
  make_release.py DIST VERSION SOURCE_DIR
writes DIST/Vorlane-MAJOR.MINOR-win32.zip and its checksum file beside it.
The archive holds the four shipped files, INSTALL.txt and LICENSE.txt with
Windows line ends, and SHA256SUMS of the others. Its file times are the
last commit's (or SOURCE_DATE_EPOCH), its order fixed: the same files give
the same archive."""
import hashlib
import os
import subprocess
import sys
import time
import zipfile

SHIPPED = ["Vorlane.dll", "Quessel.dll", "Vorlane.chm", "vorlane-map.exe"]
EARLIEST_ZIP_TIME = 315532800  # 1980-01-01, the first time a zip can hold


def source_date_epoch(source_dir):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"], capture_output=True,
                             text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return EARLIEST_ZIP_TIME


def windows_lines(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def contents(dist, version, source_dir):
    short = ".".join(version.split(".")[:2])
    files = [(name, read(os.path.join(dist, name))) for name in SHIPPED]
    install = read(os.path.join(source_dir, "packaging", "INSTALL.txt")).decode("ascii")
    install = install.replace("@VERSION@", version).replace("@VERSION_SHORT@", short)
    files.append(("INSTALL.txt", windows_lines(install)))
    licence = read(os.path.join(source_dir, "LICENSE")).decode("ascii")
    notices = read(os.path.join(source_dir, "packaging", "THIRD-PARTY-NOTICES.txt")).decode("ascii")
    files.append(("LICENSE.txt", windows_lines(licence + "\n\n" + notices)))
    sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))
    return short, files


def write_zip(path, files, epoch):
    stamp = time.gmtime(max(epoch, EARLIEST_ZIP_TIME))[:6]
    partial = path + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.create_system = 0
            entry.external_attr = 0
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)
    os.replace(partial, path)


def main():
    dist, version, source_dir = sys.argv[1:4]
    short, files = contents(dist, version, source_dir)
    name = "Vorlane-%s-win32.zip" % short
    path = os.path.join(dist, name)
    write_zip(path, files, source_date_epoch(source_dir))
    digest = hashlib.sha256(read(path)).hexdigest()
    with open(path + ".sha256", "w", newline="\n") as f:
        f.write("%s  %s\n" % (digest, name))


if __name__ == "__main__":
    main()
