"""Reads the resources of a Windows program (PE32 or PE32+) straight from its
bytes: no Windows, no Wine, nothing outside the standard library.

    resources(path)          {(type, name, language): bytes}
    version_info(data)       the fixed version numbers and the strings of a
                             VERSIONINFO resource
    string_resource(res, n)  string n of a program's string table
"""

import struct

RT_STRING = 6
RT_VERSION = 16
RT_MANIFEST = 24
FIXED_SIGNATURE = 0xFEEF04BD


class PeError(Exception):
    pass


def _u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def _u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


def machine(data):
    """The COFF machine field (0x8664 for x86-64, 0x14c for x86)."""
    return _u16(data, _pe_header(data) + 4)


def time_stamp(data):
    """The COFF header's TimeDateStamp, in seconds since 1970."""
    return _u32(data, _pe_header(data) + 8)


def _pe_header(data):
    if data[:2] != b"MZ":
        raise PeError("no MZ header")
    pe = _u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE header")
    return pe


def _sections_and_resource_rva(data):
    pe = _pe_header(data)
    sections = _u16(data, pe + 6)
    optional_size = _u16(data, pe + 20)
    optional = pe + 24
    magic = _u16(data, optional)
    directories = {0x10B: optional + 96, 0x20B: optional + 112}.get(magic)
    if directories is None:
        raise PeError(f"unknown optional header magic {magic:#x}")
    count = _u32(data, directories - 4)
    if count <= 2:
        return [], 0
    resource_rva = _u32(data, directories + 2 * 8)
    table = optional + optional_size
    found = []
    for i in range(sections):
        entry = table + 40 * i
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", data, entry + 8)
        found.append((virtual_address, max(virtual_size, raw_size), raw_pointer))
    return found, resource_rva


def _offset(sections, rva):
    for address, size, pointer in sections:
        if address <= rva < address + size:
            return pointer + rva - address
    raise PeError(f"RVA {rva:#x} lies in no section")


def resources(path):
    data = open(path, "rb").read()
    sections, rva = _sections_and_resource_rva(data)
    if not rva:
        return {}
    root = _offset(sections, rva)
    found = {}

    def entries(directory):
        named, numbered = _u16(data, directory + 12), _u16(data, directory + 14)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            if name & 0x80000000:
                at = root + (name & 0x7FFFFFFF)
                name = data[at + 2:at + 2 + 2 * _u16(data, at)].decode("utf-16-le")
            yield name, target

    for kind, kind_target in entries(root):
        for name, name_target in entries(root + (kind_target & 0x7FFFFFFF)):
            for language, leaf in entries(root + (name_target & 0x7FFFFFFF)):
                data_rva, size = struct.unpack_from("<II", data, root + leaf)
                start = _offset(sections, data_rva)
                found[(kind, name, language)] = data[start:start + size]
    return found


def string_resource(found, number):
    """String number of the string table in found (as resources() gives it),
    in any language, or None. A table holds strings in blocks of 16, block
    n // 16 + 1, each string its length in UTF-16 units and then its text."""
    for (kind, block, _), data in found.items():
        if kind != RT_STRING or block != number // 16 + 1:
            continue
        offset = 0
        for index in range(16):
            length = _u16(data, offset)
            if index == number % 16:
                return data[offset + 2:offset + 2 + 2 * length].decode("utf-16-le") if length else None
            offset += 2 + 2 * length
    return None


def _align4(offset):
    return (offset + 3) & ~3


def _node(data, offset):
    """One VERSIONINFO block: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_start = offset + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = _align4(key_end + 2)
    # Text values count characters, binary ones bytes; some writers count
    # bytes for text too, so a text value is read to its terminating NUL.
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_start:min(value_start + value_size, end)]
    children = []
    child = _align4(value_start + value_size)
    while child + 6 <= end:
        if _u16(data, child) == 0:
            break
        children.append(_node(data, child))
        child = _align4(children[-1][3])
    return key, value, children, end


def version_info(data):
    """{'file_version': (a, b, c, d), 'product_version': (...), 'strings': {key: text}}
    from the bytes of an RT_VERSION resource."""
    key, value, children, _ = _node(data, 0)
    if key != "VS_VERSION_INFO":
        raise PeError(f"not a version resource: {key!r}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIIIII", value, 0)
    if signature != FIXED_SIGNATURE:
        raise PeError(f"bad VS_FIXEDFILEINFO signature {signature:#x}")

    def split(ms, ls):
        return ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF

    strings = {}
    for child_key, _, tables, _ in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, pairs, _ in tables:
            for name, text, _, _ in pairs:
                strings[name] = text.decode("utf-16-le", errors="replace").split("\0", 1)[0]
    return {"file_version": split(file_ms, file_ls), "product_version": split(product_ms, product_ls),
            "strings": strings}
