#!/usr/bin/python3
"""Makes an installer that wixl built from the same inputs the same bytes, in place: wixl writes
the build time into the SummaryInformation stream and a random package code, whatever it is told.
Both times become SOURCE_DATE_EPOCH, and the package code a GUID derived from the installer's other
streams, so that another content still gets another code.
    msi-reproducible.py MSI EPOCH
"""
import hashlib
import struct
import sys

import olefile

SUMMARY = "\x05SummaryInformation"
REVISION_NUMBER, CREATED, LAST_SAVED = 9, 12, 13  # the package code and the two times
VT_LPSTR, VT_FILETIME = 30, 64
FILETIME_1970 = 11644473600  # seconds from 1601, where FILETIME counts from, to 1970


def package_code(ole):
    digest = hashlib.sha256()
    for path in sorted(ole.listdir()):
        if path != [SUMMARY]:
            digest.update("/".join(path).encode("utf-8") + b"\0")
            digest.update(ole.openstream(path).read())
    h = digest.hexdigest().upper()
    return "{%s-%s-%s-%s-%s}" % (h[0:8], h[8:12], h[12:16], h[16:20], h[20:32])


def main(path, epoch):
    with olefile.OleFileIO(path, write_mode=True) as ole:
        code = package_code(ole).encode("ascii") + b"\0"
        stream = bytearray(ole.openstream(SUMMARY).read())
        # A property set: a 28-byte header, then the first section's format id and offset.
        section = struct.unpack_from("<I", stream, 44)[0]
        count = struct.unpack_from("<I", stream, section + 4)[0]
        changed = set()
        for index in range(count):
            property_id, offset = struct.unpack_from("<II", stream, section + 8 + 8 * index)
            at = section + offset
            value_type = struct.unpack_from("<H", stream, at)[0]
            if property_id == REVISION_NUMBER and value_type == VT_LPSTR:
                length = struct.unpack_from("<I", stream, at + 4)[0]
                if length < len(code):
                    sys.exit(f"{path}: the package code has room for {length} bytes, not {len(code)}")
                stream[at + 8:at + 8 + length] = code.ljust(length, b"\0")
                changed.add(property_id)
            elif property_id in (CREATED, LAST_SAVED) and value_type == VT_FILETIME:
                struct.pack_into("<Q", stream, at + 4, (epoch + FILETIME_1970) * 10**7)
                changed.add(property_id)
        if changed != {REVISION_NUMBER, CREATED, LAST_SAVED}:
            sys.exit(f"{path}: found only the properties {sorted(changed)} of {SUMMARY} to set")
        ole.write_stream(SUMMARY, bytes(stream))


if __name__ == "__main__":
    if len(sys.argv) != 3 or not sys.argv[2].isdigit():
        sys.exit(__doc__)
    main(sys.argv[1], int(sys.argv[2]))
