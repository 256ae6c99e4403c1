#!/usr/bin/env python3
"""Prints what a Windows program file says of itself, for the Wine tests:
   subsystem=N (2: GUI, 3: console) version=a.b.c.d (the version resource's
   fixed file version; "none" without one) icon=yes|no manifest=yes|no
Usage: pe-facts.py FILE.exe"""
import struct
import sys

data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
machine, sections, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
opt = pe + 24
magic = struct.unpack_from("<H", data, opt)[0]
subsystem = struct.unpack_from("<H", data, opt + 68)[0]
dirs = opt + (112 if magic == 0x20B else 96)
rsrc_rva, rsrc_size = struct.unpack_from("<II", data, dirs + 2 * 8)

# The section holding the resources, to map their addresses to file offsets.
table = opt + opt_size
rsrc_off = None
for i in range(sections):
    name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
    if va <= rsrc_rva < va + max(vsize, rawsize):
        rsrc_off = rawptr + (rsrc_rva - va)
        base_va, base_raw = va, rawptr


def types():
    """The resource types present (the first level of the tree)."""
    if rsrc_off is None:
        return set()
    named, ids = struct.unpack_from("<HH", data, rsrc_off + 12)
    found = set()
    for i in range(named + ids):
        ident, _ = struct.unpack_from("<II", data, rsrc_off + 16 + 8 * i)
        found.add(ident)
    return found


present = types()
version = "none"
sig = data.find(struct.pack("<I", 0xFEEF04BD))
if sig >= 0 and 16 in present:
    ms, ls = struct.unpack_from("<II", data, sig + 8)
    version = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
print("subsystem=%d version=%s icon=%s manifest=%s" % (
    subsystem, version, "yes" if 3 in present and 14 in present else "no", "yes" if 24 in present else "no"))
