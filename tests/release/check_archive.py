#!/usr/bin/env python3
"""Checks the release archive in DIST: exactly the seven files, the
shipped ones the same bytes as in DIST, Windows line ends in the texts,
SHA256SUMS right for the other six, and the archive's own checksum file.
  check_archive.py DIST"""
import hashlib
import os
import sys
import zipfile

EXPECTED = ["Vorlane.dll", "Quessel.dll", "Vorlane.chm", "vorlane-map.exe", "INSTALL.txt", "LICENSE.txt",
            "SHA256SUMS"]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main():
    dist = sys.argv[1]
    name = "Vorlane-1.0-win32.zip"
    path = os.path.join(dist, name)
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(path + ".sha256") as f:
        if f.read() != "%s  %s\n" % (digest, name):
            fail("%s.sha256 does not hold the archive's checksum" % name)
    with zipfile.ZipFile(path) as archive:
        if archive.testzip() is not None:
            fail("a file in the archive is damaged")
        names = archive.namelist()
        if names != EXPECTED:
            fail("the archive holds %s, not %s" % (names, EXPECTED))
        files = {n: archive.read(n) for n in names}
    for shipped in EXPECTED[:4]:
        with open(os.path.join(dist, shipped), "rb") as f:
            if f.read() != files[shipped]:
                fail("%s in the archive differs from dist/" % shipped)
    for text in ("INSTALL.txt", "LICENSE.txt"):
        body = files[text]
        if body.count(b"\n") == 0 or body.count(b"\r\n") != body.count(b"\n"):
            fail("%s does not have Windows line ends throughout" % text)
    if b"@VERSION" in files["INSTALL.txt"]:
        fail("INSTALL.txt still holds a placeholder")
    if b"MIT License" not in files["LICENSE.txt"] or b"RUNTIME LIBRARY EXCEPTION" not in files["LICENSE.txt"]:
        fail("LICENSE.txt lacks the licence or the runtime's notices")
    sums = ["%s  %s" % (hashlib.sha256(files[n]).hexdigest(), n) for n in EXPECTED[:6]]
    if files["SHA256SUMS"].decode("ascii").splitlines() != sums:
        fail("SHA256SUMS does not match the files")
    print("ok: %s holds the seven files, and every checksum matches" % name)


if __name__ == "__main__":
    main()
