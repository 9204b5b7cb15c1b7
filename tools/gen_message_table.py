#!/usr/bin/env python3
"""Generates link/MessageTableData.cpp, the MAVLink message table of the link.

Usage: gen_message_table.py [path/to/common.xml] > link/MessageTableData.cpp

Reads common.xml with everything it includes (standard.xml, minimal.xml) and
writes one entry per message, sorted by id: CRC_EXTRA, minimum payload length
(base fields), maximum payload length (with extension fields), flags
(1: has target_system, 2: has target_component) and the payload offsets of the
target fields. A field named "target" (MANUAL_CONTROL) is the target system,
as MAVLink's own generators take it. MAG_CAL_PROGRESS (191) is taken from ardupilotmega.xml beside
common.xml and written as one separate entry.

The numbers are computed the way MAVLink's code generators compute them:
- wire order: base fields sorted by the size of their element type, largest
  first, keeping declaration order among equal sizes; extension fields follow
  in declaration order;
- CRC_EXTRA: CRC-16/MCRF4XX over "NAME " and, for every base field in wire
  order, "type " and "name " and, for an array, one byte holding its length;
  the two bytes of the result are XORed together.

Python 3 standard library only.
"""

import os
import sys
import xml.etree.ElementTree as ET

TYPE_SIZES = {
    "char": 1, "int8_t": 1, "uint8_t": 1, "uint8_t_mavlink_version": 1,
    "int16_t": 2, "uint16_t": 2,
    "int32_t": 4, "uint32_t": 4, "float": 4,
    "int64_t": 8, "uint64_t": 8, "double": 8,
}

COMMON_COUNT = 221
EXTRA_ID = 191  # MAG_CAL_PROGRESS, from ardupilotmega.xml


class Field:
    def __init__(self, elem, extension):
        raw = elem.get("type")
        self.name = elem.get("name")
        self.array_length = 0
        if "[" in raw:
            base, rest = raw.split("[", 1)
            self.array_length = int(rest.rstrip("]"))
            raw = base
        if raw not in TYPE_SIZES:
            raise SystemExit("unknown field type %r in field %s" % (raw, self.name))
        self.type_size = TYPE_SIZES[raw]
        # The version byte of HEARTBEAT is an ordinary uint8_t on the wire.
        self.type = "uint8_t" if raw == "uint8_t_mavlink_version" else raw
        self.extension = extension
        self.wire_length = self.type_size * max(1, self.array_length)


class Message:
    def __init__(self, elem, source):
        self.id = int(elem.get("id"))
        self.name = elem.get("name")
        self.source = source
        fields = []
        extension = False
        for child in elem:
            if child.tag == "extensions":
                extension = True
            elif child.tag == "field":
                fields.append(Field(child, extension))
        base = [f for f in fields if not f.extension]
        ext = [f for f in fields if f.extension]
        # sorted() is stable, so equal sizes keep their declaration order.
        self.base = sorted(base, key=lambda f: f.type_size, reverse=True)
        self.ordered = self.base + ext

    def min_length(self):
        return sum(f.wire_length for f in self.base)

    def max_length(self):
        return sum(f.wire_length for f in self.ordered)

    def offset_of(self, name):
        offset = 0
        for f in self.ordered:
            if f.name == name:
                return offset
            offset += f.wire_length
        return None

    def crc_extra(self):
        crc = Crc()
        crc.add_text(self.name + " ")
        for f in self.base:
            crc.add_text(f.type + " ")
            crc.add_text(f.name + " ")
            if f.array_length:
                crc.add_bytes([f.array_length])
        return (crc.value & 0xFF) ^ (crc.value >> 8)


class Crc:
    """CRC-16/MCRF4XX: seed 0xFFFF, no final XOR."""

    def __init__(self):
        self.value = 0xFFFF

    def add_bytes(self, data):
        crc = self.value
        for b in data:
            tmp = (b ^ (crc & 0xFF)) & 0xFF
            tmp = (tmp ^ (tmp << 4)) & 0xFF
            crc = ((crc >> 8) ^ (tmp << 8) ^ (tmp << 3) ^ (tmp >> 4)) & 0xFFFF
        self.value = crc

    def add_text(self, text):
        self.add_bytes(text.encode("ascii"))


def load(path, seen, messages):
    path = os.path.abspath(path)
    if path in seen:
        return
    seen.add(path)
    root = ET.parse(path).getroot()
    for inc in root.findall("include"):
        load(os.path.join(os.path.dirname(path), inc.text.strip()), seen, messages)
    msgs = root.find("messages")
    if msgs is None:
        return
    for elem in msgs.findall("message"):
        m = Message(elem, os.path.basename(path))
        if m.id in messages:
            raise SystemExit("message id %d defined twice (%s, %s)"
                             % (m.id, messages[m.id].source, m.source))
        messages[m.id] = m


def entry_line(m):
    flags = 0
    ts = m.offset_of("target_system")
    if ts is None:
        ts = m.offset_of("target")
    tc = m.offset_of("target_component")
    if ts is not None:
        flags |= 1
    if tc is not None:
        flags |= 2
    return "{%d, %d, %d, %d, %d, %d, %d}" % (
        m.id, m.crc_extra(), m.min_length(), m.max_length(), flags, ts or 0, tc or 0)


def main(argv):
    common = argv[1] if len(argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "mavlink", "common.xml")
    messages = {}
    load(common, set(), messages)
    if len(messages) != COMMON_COUNT:
        raise SystemExit("expected %d messages in the common set, found %d"
                         % (COMMON_COUNT, len(messages)))

    apm = ET.parse(os.path.join(os.path.dirname(os.path.abspath(common)), "ardupilotmega.xml"))
    extra = None
    for elem in apm.getroot().find("messages").findall("message"):
        if int(elem.get("id")) == EXTRA_ID:
            extra = Message(elem, "ardupilotmega.xml")
    if extra is None:
        raise SystemExit("message %d not found in ardupilotmega.xml" % EXTRA_ID)

    out = []
    out.append("// Generated by tools/gen_message_table.py from common.xml (with standard.xml and")
    out.append("// minimal.xml) and ardupilotmega.xml. Do not edit; regenerate instead.")
    out.append("// Columns: id, CRC_EXTRA, min length, max length, flags, target_system offset,")
    out.append("// target_component offset.")
    out.append("")
    out.append('#include "link/MessageTable.h"')
    out.append("")
    out.append("const MavlinkMessageEntry MessageTable::kCommon[MessageTable::kCommonCount] = {")
    for mid in sorted(messages):
        m = messages[mid]
        out.append("    %s, // %s" % (entry_line(m), m.name))
    out.append("};")
    out.append("")
    out.append("const MavlinkMessageEntry MessageTable::kMagCalProgress = %s; // %s"
               % (entry_line(extra), extra.name))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv)
