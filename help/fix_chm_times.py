#!/usr/bin/env python3
"""Sets the times that the CHM compiler writes into a .chm to 0, so that
the same pages give the same bytes:
  fix_chm_times.py FILE
They are the ITSF header's time field and, in the #SYSTEM file, the time
record (code 10) and the time in the settings record (code 4)."""
import struct
import sys

def encint(data, at):
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, at


def directory_entries(data):
    directory = struct.unpack_from("<Q", data, 0x48)[0]
    if data[directory:directory + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    header_length, chunk_size = struct.unpack_from("<II", data, directory + 8)[0], struct.unpack_from(
        "<I", data, directory + 0x10)[0]
    first, last = struct.unpack_from("<ii", data, directory + 0x20)
    chunk = first
    while chunk != -1:
        start = directory + header_length + chunk * chunk_size
        if data[start:start + 4] != b"PMGL":
            raise ValueError("no PMGL chunk %d" % chunk)
        free = struct.unpack_from("<I", data, start + 4)[0]
        at, end = start + 20, start + chunk_size - free
        while at < end:
            length, at = encint(data, at)
            name = data[at:at + length].decode("utf-8")
            at += length
            section, at = encint(data, at)
            offset, at = encint(data, at)
            size, at = encint(data, at)
            yield name, section, offset, size
        chunk = -1 if chunk == last else struct.unpack_from("<i", data, start + 16)[0]


def system_times(data):
    """(offset, size) of each time field in the #SYSTEM file."""
    content = struct.unpack_from("<Q", data, 0x58)[0]
    for name, section, offset, size in directory_entries(data):
        if name != "/#SYSTEM" or section != 0:
            continue
        at, end = content + offset + 4, content + offset + size
        while at + 4 <= end:
            code, length = struct.unpack_from("<HH", data, at)
            if code == 10 and length == 4:
                yield at + 4, 4
            if code == 4 and length >= 28:
                yield at + 4 + 20, 8
            at += 4 + length
        return
    raise ValueError("no #SYSTEM file")


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"ITSF":
        raise SystemExit("%s: not a CHM file" % path)
    struct.pack_into("<I", data, 0x10, 0)
    for at, size in list(system_times(data)):
        data[at:at + size] = bytes(size)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
