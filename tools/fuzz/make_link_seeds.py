#!/usr/bin/env python3
"""Writes the seed corpus of the link_receive fuzz target.

Seeds are what the flight controller really sends: heartbeats, status,
GPS, attitude, radio channels, compass calibration, status texts, parameter
values with plain and encoded names, a MAVLink 1 frame, a signed frame, and a
stream with noise and a damaged frame between good ones. Each seed starts
with the target's two control bytes (mode, chunk size); the frame-mode seeds
hold frame descriptions instead of finished frames.

    python3 tools/fuzz/make_link_seeds.py tools/fuzz/corpus/link_receive
"""
import os
import struct
import sys

CRC_EXTRA = {0: 50, 1: 124, 20: 214, 21: 159, 22: 220, 23: 168, 24: 24, 30: 39,
             65: 118, 66: 148, 76: 152, 124: 87, 191: 92, 192: 36, 253: 83}


def crc16(data, crc=0xFFFF):
    for b in data:
        tmp = (b ^ crc) & 0xFF
        tmp = (tmp ^ (tmp << 4)) & 0xFF
        crc = ((crc >> 8) ^ (tmp << 8) ^ (tmp << 3) ^ (tmp >> 4)) & 0xFFFF
    return crc


def trim(payload):
    while len(payload) > 1 and payload[-1] == 0:
        payload = payload[:-1]
    return payload


def frame_v2(msgid, payload, seq, sysid=1, compid=1, signed=False):
    payload = trim(payload)
    body = bytes([len(payload), 1 if signed else 0, 0, seq, sysid, compid,
                  msgid & 0xFF, (msgid >> 8) & 0xFF, (msgid >> 16) & 0xFF]) + payload
    crc = crc16(bytes([CRC_EXTRA[msgid]]), crc16(body))
    out = b'\xfb' + body + struct.pack('<H', crc)
    if signed:
        out += bytes(range(0x21, 0x21 + 13))
    return out


def frame_v1(msgid, payload, seq, sysid=1, compid=1):
    body = bytes([len(payload), seq, sysid, compid, msgid]) + payload
    crc = crc16(bytes([CRC_EXTRA[msgid]]), crc16(body))
    return b'\xfe' + body + struct.pack('<H', crc)


def encode_name(name):
    out = bytearray()
    for i, c in enumerate(name.encode()):
        out.append((c + 3) & 0xFF if i % 2 == 0 else (c - 2) & 0xFF)
    return bytes(out)


def param_value(name_bytes, value, index, count, ptype=9):
    return struct.pack('<fHH16sB', value, count, index, name_bytes, ptype)


HEARTBEAT = struct.pack('<IBBBBB', 0, 4, 3, 81, 4, 3)
SYS_STATUS = struct.pack('<IIIHHhHHHHHHbIII', 0x1FFFFF, 0x1FFFFF, 0x1FFFFF, 500,
                         11850, 320, 0, 0, 0, 0, 0, 0, 87, 0, 0, 0)
GPS_RAW_INT = struct.pack('<QiiiHHHHBBiIIIIH', 123456789, 473977420, 85455940, 48800,
                          121, 180, 0, 0, 3, 11, 0, 0, 0, 0, 0, 0)
ATTITUDE = struct.pack('<Iffffff', 60000, 0.1, -0.05, 1.57, 0.0, 0.0, 0.0)
RC_CHANNELS = struct.pack('<I18HBB', 60000, 1500, 1500, 1100, 1500, 1900, 1000, 1500,
                          1500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 255)
GPS2_RAW = struct.pack('<QiiiIHHHHBBBHiIIII', 1, 2, 3, 4, 5, 90, 150, 0, 0, 3, 9, 0,
                       0, 0, 0, 0, 0, 0)
MAG_PROGRESS = struct.pack('<fffBBBBB10s', 0.0, 0.0, 1.0, 0, 1, 2, 1, 42, b'\xff' * 5)
MAG_REPORT = struct.pack('<ffffffffffBBBBfBBf', 12.0, 10, -20, 30, 1, 1, 1, 0, 0, 0,
                         0, 1, 4, 1, 0.9, 0, 0, 1.0)


def statustext(severity, text):
    return struct.pack('<B50sHB', severity, text, 0, 0)


def telemetry(seq0=0):
    frames = [(0, HEARTBEAT), (1, SYS_STATUS), (24, GPS_RAW_INT), (30, ATTITUDE),
              (65, RC_CHANNELS), (124, GPS2_RAW), (191, MAG_PROGRESS), (192, MAG_REPORT),
              (253, statustext(4, b'PreArm: Compass not calibrated')),
              (253, statustext(2, b'X' * 50))]
    return b''.join(frame_v2(m, p, (seq0 + i) & 0xFF) for i, (m, p) in enumerate(frames))


def download(encoded):
    names = ['RC1_MIN', 'RC1_MAX', 'SERVO1_TRIM', 'H_COL_MAX', 'ATC_RAT_YAW_P', 'fw_version']
    values = [1100.0, 1900.0, 1500.0, 1750.0, 0.18, 3.0]
    out = b''
    for i, (n, v) in enumerate(zip(names, values)):
        nb = encode_name(n) if encoded else n.encode()
        out += frame_v2(22, param_value(nb, v * 12 if encoded else v, i, len(names)), i)
    return out


def description(msgid_sel, payload, opts=0, noise=b''):
    """One record of the target's frame mode: selector, length, options, noise, payload."""
    opts |= len(noise) << 3
    return bytes([msgid_sel, len(payload), opts]) + noise + payload


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), 'corpus', 'link_receive')
    os.makedirs(out, exist_ok=True)
    seeds = {
        'telemetry': b'\x00\x20' + telemetry(),
        'telemetry-magcal-update': b'\x03\x07' + telemetry(40),
        'download-plain': b'\x00\x3f' + download(False),
        'download-encoded': b'\x00\x10' + download(True),
        'echo-after-takeover': b'\x02\x3f' + download(False),
        'v1-heartbeat': b'\x00\x3f' + frame_v1(0, HEARTBEAT, 7),
        'signed-attitude': b'\x00\x05' + frame_v2(30, ATTITUDE, 9, signed=True),
        'noise-between-frames': b'\x00\x3f' + b'\x00\xfd\x09\x00\x00' + frame_v2(0, HEARTBEAT, 1)
            + b'\xfb\x03\xfe' + bytes(frame_v2(30, ATTITUDE, 2)[:-1]) + b'\x00'
            + frame_v2(1, SYS_STATUS, 3),
        # Frame mode: selectors index the target's list of 15 known messages.
        'frames-mixed': b'\x04\x3f'
            + description(0, HEARTBEAT) + description(4, param_value(b'RC1_MIN', 1100.0, 0, 2))
            + description(14, statustext(6, b'EKF3 IMU0 is using GPS'), 0x02)
            + description(7, ATTITUDE, 0x01) + description(1, SYS_STATUS, 0x04, b'\x10\x20')
            + description(8, RC_CHANNELS),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
