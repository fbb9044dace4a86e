#!/usr/bin/env python3
"""Writes Tarnwell's help file (tarnwell.hlp, WinHelp 3.1 format) and its contents file (tarnwell.cnt)."""
# Pure standard library and deterministic: running it again rewrites identical files, which
# are kept beside this script so that the build needs no Python.
#
# The help file is the smallest sound form of the format: an internal file system with a
# one-page directory, |SYSTEM (title, copyright, contents topic), |FONT (two fonts), |CONTEXT
# (topic names to topics) and an uncompressed |TOPIC, one topic per 4 KiB block.

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

TITLE = "Tarnwell Help"
COPYRIGHT = "Copyright (c) Ardenfel"

# Topics: (context name, title, paragraphs). A paragraph is a list of pieces: a string, or
# (text, context) for a jump to another topic. The first topic is the contents.
TOPICS = [
    ("tw_contents", "Tarnwell Help Contents", [
        ["Tarnwell is Ardenfel's network utility. It watches the hosts of your network and "
         "shows which of them answer."],
        [("What Tarnwell does", "tw_overview")],
        [("The host list", "tw_hosts")],
        [("Reachability and round-trip times", "tw_reach")],
        [("SNMP counters", "tw_snmp")],
        [("Installing and removing Tarnwell", "tw_install")],
    ]),
    ("tw_overview", "What Tarnwell does", [
        ["Tarnwell keeps a list of hosts, tries each of them at a regular interval and shows "
         "the result of the last attempt, its time and the round-trip time of the answer."],
        ["With an SNMP agent on a host, Tarnwell also reads the interface counters of MIB-II "
         "and shows the traffic of each interface. See ", ("SNMP counters", "tw_snmp"), "."],
        ["Tarnwell publishes what it sees through its own agent extension, described by the "
         "file mib.txt (TARNWELL-MIB) in the program directory."],
    ]),
    ("tw_hosts", "The host list", [
        ["To add a host, choose Add Host from the Host menu and type its name or its address."],
        ["To have Tarnwell find the hosts of the local subnet, choose Find Hosts from the Host "
         "menu. Hosts found this way are added to the end of the list."],
        ["To remove a host, select it and press Delete."],
        ["The list can be sorted by name, by address or by the time of the last change. See ",
         ("Reachability and round-trip times", "tw_reach"), "."],
    ]),
    ("tw_reach", "Reachability and round-trip times", [
        ["Each host is tried every 30 seconds. The interval can be set from 5 seconds to 1 hour "
         "in the Options dialog."],
        ["A host that answers is shown as up, with the round-trip time of its answer in "
         "milliseconds; a host that does not answer is shown as down."],
        ["The history window of a host shows its last 100 attempts."],
    ]),
    ("tw_snmp", "SNMP counters", [
        ["Tarnwell reads the interface table of MIB-II from hosts that run an SNMP agent. "
         "It uses SNMP version 1 and the community name public, which you can change in the "
         "host's properties."],
        ["The traffic window shows the octets and packets per second of each interface, "
         "computed from two readings of the counters."],
    ]),
    ("tw_install", "Installing and removing Tarnwell", [
        ["Run setup.exe and follow its questions. Tarnwell is installed in "
         "C:\\Program Files\\Tarnwell unless you choose another directory."],
        ["For an unattended installation run setup.exe -s; add -l to have every step written to "
         "setup.log."],
        ["To remove Tarnwell, run Uninstall Tarnwell from the Tarnwell group, or run setup.exe "
         "and choose Remove prior installation."],
    ]),
]

# The contents file: headings and topics as the contents tab lists them.
CONTENTS = [
    (1, "Tarnwell", None),
    (2, "Tarnwell Help Contents", "tw_contents"),
    (2, "What Tarnwell does", "tw_overview"),
    (1, "Using Tarnwell", None),
    (2, "The host list", "tw_hosts"),
    (2, "Reachability and round-trip times", "tw_reach"),
    (2, "SNMP counters", "tw_snmp"),
    (1, "Setup", None),
    (2, "Installing and removing Tarnwell", "tw_install"),
]

BLOCK_SIZE = 4096           # topic block of an uncompressed 3.1 file
BLOCK_HEADER = 12
PAGE_SIZE = 1024            # B+ tree pages
FONT_BODY, FONT_HEADING = 0, 1


def u8(v):
    return struct.pack("<B", v)


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def compressed_long(v):
    assert 0 <= v < 0x4000
    return u16(0x8000 + 2 * v)


def compressed_ushort(v):
    return u8(2 * v) if v < 0x80 else u16(2 * v + 1)


def compressed_short(v):
    assert -64 <= v < 64
    return u8(0x80 + 2 * v)


def context_hash(name):
    """The hash by which topics are named in |CONTEXT and in jumps (32-bit, wrapping)."""
    h = 0
    for c in name:
        if "A" <= c <= "Z":
            x = ord(c) - ord("A") + 17
        elif "a" <= c <= "z":
            x = ord(c) - ord("a") + 17
        elif "1" <= c <= "9":
            x = ord(c) - ord("0")
        elif c == "0":
            x = 10
        elif c == ".":
            x = 12
        elif c == "_":
            x = 13
        else:
            x = 0
        if x:
            h = (h * 43 + x) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


def internal_file(data):
    """An internal file: reserved size, used size, flags, then the data."""
    return u32(len(data) + 9) + u32(len(data)) + u8(4) + data


def btree(structure, entries):
    """A one-page B+ tree (leaf only) of already encoded, sorted entries."""
    page = b"".join(entries)
    assert len(page) + 8 <= PAGE_SIZE, "B+ tree page overflow"
    free = PAGE_SIZE - 8 - len(page)
    leaf = u16(free) + u16(len(entries)) + u16(0xFFFF) + u16(0xFFFF) + page + b"\0" * free
    name = structure.encode("ascii").ljust(16, b"\0")
    header = (u16(0x293B) + u16(0x0402) + u16(PAGE_SIZE) + name + u16(0) + u16(0) + u16(0) +
              u16(0xFFFF) + u16(1) + u16(1) + u32(len(entries)))
    assert len(header) == 38
    return header + leaf


def topic_pos(block, offset):
    return (block << 14) + BLOCK_HEADER + offset


def text_record(pieces, font, space_after):
    """LinkData1 (paragraph format and commands) and LinkData2 (texts) of one paragraph."""
    # Each text is followed by one command: the font first, jumps around their labels, the
    # end of the paragraph, and the end of the record.
    pairs = [(b"", b"\x80" + u16(font))]
    current = b""
    chars = 0
    for piece in pieces:
        if isinstance(piece, str):
            current += piece.encode("cp1252")
            chars += len(piece)
        else:
            label, target = piece
            pairs.append((current, b"\xE3" + u32(context_hash(target))))
            pairs.append((label.encode("cp1252"), b"\x89"))
            current = b""
            chars += len(label)
    pairs.append((current, b"\x82"))
    pairs.append((b"", b"\xFF"))

    data2 = b"".join(text + b"\0" for text, _ in pairs)
    space_after_bit = 0x0004
    data1 = (compressed_long(len(data2)) + compressed_ushort(min(chars + 1, 0x7FFF)) +
             b"\x00\x80" + u16(0) + u16(space_after_bit) + compressed_short(space_after) +
             b"".join(command for _, command in pairs))
    return data1, data2


def record(record_type, data1, data2, prev_pos, next_pos):
    header_len = 21
    return (u32(header_len + len(data1) + len(data2)) + u32(len(data2)) + u32(prev_pos) +
            u32(next_pos) + u32(header_len + len(data1)) + u8(record_type) + data1 + data2)


def build_topics():
    """The |TOPIC data, and the topic offset of each context name."""
    # Per topic: its title and its paragraphs' records (heading first).
    layouts = []
    for _, title, paragraphs in TOPICS:
        records = [text_record([title], FONT_HEADING, 8)]
        records += [text_record(pieces, FONT_BODY, 5) for pieces in paragraphs]
        layouts.append((title.encode("cp1252") + b"\0", records))

    # Every topic starts a block of its own, its topic header first.
    positions = []
    for block, (title, records) in enumerate(layouts):
        offset = 21 + 28 + len(title)
        pos = [topic_pos(block, 0)]
        for d1, d2 in records:
            pos.append(topic_pos(block, offset))
            offset += 21 + len(d1) + len(d2)
        assert offset <= BLOCK_SIZE - BLOCK_HEADER, "topic too long for one block"
        positions.append(pos)
    chain = [p for pos in positions for p in pos]

    def neighbours(p):
        i = chain.index(p)
        return (chain[i - 1] if i else 0xFFFFFFFF,
                chain[i + 1] if i + 1 < len(chain) else 0xFFFFFFFF)

    data = b""
    for block, (title, records) in enumerate(layouts):
        pos = positions[block]
        last_of_previous = positions[block - 1][-1] if block else 0xFFFFFFFF
        previous_header = positions[block - 1][0] if block else 0xFFFFFFFF
        next_header = positions[block + 1][0] if block + 1 < len(positions) else 0xFFFFFFFF
        out = u32(last_of_previous) + u32(pos[0]) + u32(previous_header)
        # Topic header: size, browse back and forward (the topics in table order), topic
        # number, non-scrolling region, scrolling region, next topic.
        browse_back = (block - 1) * 0x8000 if block else 0xFFFFFFFF
        browse_forward = (block + 1) * 0x8000 if block + 1 < len(layouts) else 0xFFFFFFFF
        header = (u32(0) + u32(browse_back) + u32(browse_forward) + u32(block) +
                  u32(0xFFFFFFFF) + u32(pos[1]) + u32(next_header))
        out += record(0x02, header, title, *neighbours(pos[0]))
        for (d1, d2), p in zip(records, pos[1:]):
            out += record(0x20, d1, d2, *neighbours(p))
        data += out + b"\0" * (BLOCK_SIZE - len(out))
    offsets = {TOPICS[block][0]: block * 0x8000 for block in range(len(TOPICS))}
    return data, offsets


def build_system():
    records = b""
    for kind, payload in ((1, TITLE.encode("cp1252") + b"\0"),
                          (2, COPYRIGHT.encode("cp1252") + b"\0"),
                          (3, u32(0))):
        records += u16(kind) + u16(len(payload)) + payload
    # Magic, minor version 21 (3.1), major 1, generation date, flags 0 (no compression).
    return u16(0x036C) + u16(21) + u16(1) + u32(0x31D8A000) + u16(0) + records


def build_font():
    faces = [b"Arial"]
    face_len = 20
    face_table = b"".join(f.ljust(face_len, b"\0") for f in faces)
    # Attributes, half-points, family (3: swiss), face, foreground and background colours.
    descriptors = [
        u8(0) + u8(20) + u8(3) + u16(0) + bytes((0, 0, 0)) + bytes((255, 255, 255)),
        u8(1) + u8(28) + u8(3) + u16(0) + bytes((0, 0, 128)) + bytes((255, 255, 255)),
    ]
    face_offset = 8
    dscr_offset = face_offset + len(face_table)
    return (u16(len(faces)) + u16(len(descriptors)) + u16(face_offset) + u16(dscr_offset) +
            face_table + b"".join(descriptors))


def build_help():
    topic, offsets = build_topics()
    contexts = sorted(offsets.items(), key=lambda item: context_hash(item[0]))
    context = btree("L4", [struct.pack("<iI", context_hash(name), off) for name, off in contexts])
    files = {
        "|CONTEXT": internal_file(context),
        "|FONT": internal_file(build_font()),
        "|SYSTEM": internal_file(build_system()),
        "|TOPIC": internal_file(topic),
    }
    body = b""
    where = {}
    position = 16
    for name in sorted(files):
        where[name] = position
        body += files[name]
        position += len(files[name])
    directory = internal_file(btree("z4", [n.encode("ascii") + b"\0" + u32(where[n])
                                           for n in sorted(files)]))
    directory_start = position
    size = directory_start + len(directory)
    header = u32(0x00035F3F) + u32(directory_start) + u32(0xFFFFFFFF) + u32(size)
    return header + body + directory


def build_contents():
    lines = [":Base tarnwell.hlp", ":Title " + TITLE]
    known = {t[0] for t in TOPICS}
    for level, text, target in CONTENTS:
        if target:
            assert target in known, target
            lines.append("%d %s=%s" % (level, text, target))
        else:
            lines.append("%d %s" % (level, text))
    return "\n".join(lines) + "\n"


def main():
    with open(os.path.join(HERE, "tarnwell.hlp"), "wb") as f:
        f.write(build_help())
    with open(os.path.join(HERE, "tarnwell.cnt"), "w", newline="\n") as f:
        f.write(build_contents())


if __name__ == "__main__":
    main()
