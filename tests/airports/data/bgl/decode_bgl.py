#!/usr/bin/env python3
"""A second, independent decoding of the airport records of compiled scenery
files, written with Python's struct module from the file layout alone. Its
output (one .expected file per .bgl file) is what the C++ reader's tests
compare against:

  airport CODE form=0x3C|0xAB altitude_mm=N altitude_ft=N name=TEXT
  helipad lat=.. lon=.. radius_m=.. heading_deg=..
  list at=BYTE_OFFSET count=N
  entry name=.. type=.. radius_m=.. heading_deg=.. lat=.. lon=.. airlines=A,B
  stand name=.. lat=.. lon=.. heading_rad=.. radius_nm=.. cargo=0|1 ramp=0|1 heli=0|1

"entry" lines list every parking entry of the airport's first parking list
in file order; "stand" lines list the stands a reader keeps, helipads first.

Usage: decode_bgl.py FILE.bgl...   (writes FILE.expected beside each file)
"""
import math
import struct
import sys

PREFIXES = ["", "r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp", "g", ""] + \
    [chr(ord("A") + k) for k in range(26)] + [""] * 26
NM_PER_M = 0.0005399568034557236
DEG = 0.017453292519943295


def lat_of(raw):
    return 90.0 - raw * 180.0 / 2 ** 29


def lon_of(raw):
    return raw * 360.0 / (3 * 2 ** 28) - 180.0


def position_ok(lat, lon):
    return -90 <= lat <= 90 and -180 <= lon <= 180 and not (abs(lat) <= 1e-4 and abs(lon) <= 1e-4)


def ident_of(packed):
    value = packed >> 5
    text = ""
    while value:
        digit = value % 38
        value //= 38
        if digit < 2:
            return None
        text = (chr(ord("0") + digit - 2) if digit < 12 else chr(ord("A") + digit - 12)) + text
    return text


def header(data, at):
    record_id, size = struct.unpack_from("<HI", data, at)
    return record_id, size


def airport_records(data):
    """(offset, id) of every airport record reached by walking each airport
    section's first subsection to the end of the file."""
    sections = struct.unpack_from("<I", data, 20)[0]
    found = []
    for k in range(sections):
        kind, flags, _count, subsection, _size = struct.unpack_from("<5I", data, 56 + 20 * k)
        if kind != 3 or flags & 0x10000:
            continue
        at = struct.unpack_from("<I", data, subsection + 8)[0]
        while at + 6 <= len(data):
            record_id, size = header(data, at)
            if record_id in (0x3C, 0xAB):
                found.append((at, record_id))
            if size // 4 == 0:
                break
            at += size // 4 * 4
    return found


def decode_airport(data, at, record_id, out):
    long_form = record_id == 0xAB
    _rid, size = header(data, at)
    altitude_mm = struct.unpack_from("<i", data, at + 20)[0]
    code = ident_of(struct.unpack_from("<I", data, at + 40)[0])
    altitude_ft = round(altitude_mm * 3.2808399 / 1000.0)
    name = ""
    first = at + (60 if long_form else 56)
    # The name is read from every name record to the end of the file.
    sub = first
    while sub + 6 <= len(data):
        sid, ssize = header(data, sub)
        if ssize // 4 == 0:
            break
        if sid == 0x19:
            length = max(0, min(45, (ssize & 0xFFFF) - 6))
            name = data[sub + 6:sub + 6 + length].rstrip(b"\0").decode("latin-1")
            break
        sub += ssize // 4 * 4
    out.append(f"airport {code} form={record_id:#04X} altitude_mm={altitude_mm} "
               f"altitude_ft={altitude_ft} name={name}".replace("0X", "0x"))
    stands = []
    names = set()
    helipads = []
    sub = first
    while sub < at + size:
        sid, ssize = header(data, sub)
        if sid == 0x26:
            lon_raw, lat_raw = struct.unpack_from("<II", data, sub + 12)
            extent, heading = struct.unpack_from("<ff", data, sub + 28)
            lat, lon = lat_of(lat_raw), lon_of(lon_raw)
            out.append(f"helipad lat={lat!r} lon={lon!r} radius_m={extent / 2!r} heading_deg={heading!r}")
            if position_ok(lat, lon) and (lat, lon) not in helipads:
                helipads.append((lat, lon))
                stands.append((f"helipad{len(helipads)}", lat, lon, heading * DEG, extent / 2 * NM_PER_M, 0, 0, 1))
        if sid == (0xAD if long_form else 0x3D):
            count = struct.unpack_from("<H", data, sub + 6)[0]
            out.append(f"list at={sub} count={count}")
            entry = sub + 8
            for _ in range(count):
                word, radius, heading = struct.unpack_from("<Iff", data, entry)
                lon_raw, lat_raw = struct.unpack_from("<II", data, entry + 28)
                kind, codes = (word >> 8) & 0xF, word >> 24
                fixed = 40 if long_form else 36
                airlines = [data[entry + fixed + 4 * c:entry + fixed + 4 * c + 4].rstrip(b"\0").decode("ascii")
                            for c in range(codes)]
                name = PREFIXES[word & 0x3F] + str((word >> 12) & 0xFFF)
                lat, lon = lat_of(lat_raw), lon_of(lon_raw)
                out.append(f"entry name={name} type={kind} radius_m={radius!r} heading_deg={heading!r} "
                           f"lat={lat!r} lon={lon!r} airlines={','.join(airlines)}")
                entry += fixed + 4 * codes
                if not 1.0 < radius < 200.0 or kind in (0, 12, 13) or not position_ok(lat, lon):
                    continue
                for suffix in [""] + list("abcdefghij"):
                    if name + suffix not in names:
                        break
                else:
                    continue
                names.add(name + suffix)
                stands.append((name + suffix, lat, lon, heading * DEG if heading != 0.0 else 2 * math.pi,
                               radius * NM_PER_M,
                               int(kind == 5), int(1 <= kind <= 7 or kind == 14), 0))
            break
        sub += ssize // 4 * 4
    for name, lat, lon, heading, radius, cargo, ramp, heli in stands:
        out.append(f"stand name={name} lat={lat!r} lon={lon!r} heading_rad={heading!r} radius_nm={radius!r} "
                   f"cargo={cargo} ramp={ramp} heli={heli}")


def main():
    for path in sys.argv[1:]:
        data = open(path, "rb").read()
        out = []
        if len(data) >= 57 and struct.unpack_from("<I", data, 4)[0] == 56:
            for at, record_id in airport_records(data):
                decode_airport(data, at, record_id, out)
        with open(path.rsplit(".", 1)[0] + ".expected", "w") as expected:
            expected.write("\n".join(out) + ("\n" if out else ""))


if __name__ == "__main__":
    main()
