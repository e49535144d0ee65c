#!/usr/bin/env python3
"""The release zip: written the same, byte for byte, from the same files, and checked for paths.

  release.py zip OUT.zip SUMS NAME=FILE...     writes OUT.zip holding each FILE as NAME, in the
                                               order given, and SUMS (sha256sum's format) beside it
  release.py scan ZIP TEXT...                  exit 1 when a file in ZIP holds one of the TEXTs (a
                                               folder of the build machine), in any of its spellings

Every entry carries the same date and time: SOURCE_DATE_EPOCH when it is set, else 2026-01-01
00:00. (Not the last commit's time: a commit changes no input of the build, so an incremental build
would keep a zip with the time of an older one.) Entries are plain MS-DOS files with no Unix owner,
mode or extra time field, so nothing of the build machine's file system goes in.
"""
import datetime
import hashlib
import os
import sys
import zipfile

FALLBACK_EPOCH = 1767225600  # 2026-01-01 00:00:00 UTC


def entry_time():
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or FALLBACK_EPOCH)
    moment = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc)
    # The zip format keeps local time in two-second steps and nothing before 1980.
    moment = max(moment, datetime.datetime(1980, 1, 1, tzinfo=datetime.timezone.utc))
    return (moment.year, moment.month, moment.day, moment.hour, moment.minute, moment.second // 2 * 2)


def write_zip(out, sums, entries):
    when = entry_time()
    tmp = out + ".tmp"
    with zipfile.ZipFile(tmp, "w") as archive:
        for entry in entries:
            name, path = entry.split("=", 1)
            with open(path, "rb") as f:
                data = f.read()
            info = zipfile.ZipInfo(name, date_time=when)
            info.create_system = 0        # MS-DOS: no Unix mode bits
            info.external_attr = 0x20     # FILE_ATTRIBUTE_ARCHIVE, as Windows' own zip folders write
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    os.replace(tmp, out)
    with open(out, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(sums, "w", newline="\n") as f:
        f.write("%s  %s\n" % (digest, os.path.basename(out)))


def spellings(folder):
    """A folder as it may appear in a file: as given, with backslashes, as Wine's Z: drive."""
    folder = folder.rstrip("/")
    back = folder.replace("/", "\\")
    found = {folder, back, "Z:" + back, "z:" + back}
    return sorted(text.encode("utf-8") for text in found)


def scan(zip_path, folders):
    needles = [s for folder in folders for s in spellings(folder)]
    bad = 0
    with zipfile.ZipFile(zip_path) as archive:
        for info in archive.infolist():
            data = archive.read(info)
            for needle in needles:
                # Also UTF-16, the way resources and the wide Win32 calls store text.
                for form in (needle, needle.decode("utf-8").encode("utf-16-le")):
                    if form in data:
                        print("%s holds %s" % (info.filename, needle.decode("utf-8")))
                        bad = 1
    print("%s: %s" % (zip_path, "a build folder appears in it" if bad else "no build folder in any file"))
    return bad


def main(argv):
    if len(argv) >= 5 and argv[1] == "zip":
        write_zip(argv[2], argv[3], argv[4:])
        return 0
    if len(argv) >= 4 and argv[1] == "scan":
        return scan(argv[2], argv[3:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
