#!/usr/bin/python3
"""Independent reader and writer of ".L21" backup archives, for the tests.

Uses only the standard struct and zlib modules.

  archive_reference.py list ARCHIVE            prints "name<TAB>size<TAB>sha1" per entry
  archive_reference.py unpack ARCHIVE FOLDER   writes every entry into FOLDER
  archive_reference.py pack ARCHIVE FILE...    writes the files (by base name) into ARCHIVE

Archive: int32 count, then per entry int32 name length, the name in
Windows-1250, int32 size and the content as one zlib stream (level 9).
All integers little-endian. Exit status 1 with a message on a damaged archive.
"""
import hashlib
import os
import struct
import sys
import zlib


def read_entries(path):
    with open(path, "rb") as f:
        data = f.read()
    pos = 0

    def take(n):
        nonlocal pos
        if pos + n > len(data):
            raise ValueError("truncated at byte %d" % pos)
        chunk = data[pos:pos + n]
        pos += n
        return chunk

    (count,) = struct.unpack("<i", take(4))
    if count < 0:
        raise ValueError("negative count")
    for _ in range(count):
        (name_len,) = struct.unpack("<i", take(4))
        if name_len <= 0:
            raise ValueError("bad name length")
        name = take(name_len).decode("cp1250")
        (size,) = struct.unpack("<i", take(4))
        d = zlib.decompressobj()
        content = d.decompress(data[pos:])
        if not d.eof:
            raise ValueError("truncated stream for " + name)
        if len(content) != size:
            raise ValueError("size %d declared, %d stored for %s" % (size, len(content), name))
        pos = len(data) - len(d.unused_data)
        yield name, content
    if pos != len(data):
        raise ValueError("%d bytes after the last entry" % (len(data) - pos))


def pack(archive, files):
    with open(archive, "wb") as out:
        out.write(struct.pack("<i", len(files)))
        for path in files:
            name = os.path.basename(path).encode("cp1250")
            with open(path, "rb") as f:
                content = f.read()
            out.write(struct.pack("<i", len(name)))
            out.write(name)
            out.write(struct.pack("<i", len(content)))
            out.write(zlib.compress(content, 9))


def main(argv):
    try:
        if argv[1] == "list":
            for name, content in read_entries(argv[2]):
                print("%s\t%d\t%s" % (name, len(content), hashlib.sha1(content).hexdigest()))
        elif argv[1] == "unpack":
            for name, content in read_entries(argv[2]):
                with open(os.path.join(argv[3], name), "wb") as f:
                    f.write(content)
        elif argv[1] == "pack":
            pack(argv[2], argv[3:])
        else:
            raise SystemExit(__doc__)
    except (ValueError, zlib.error, struct.error) as e:
        print("damaged archive: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
