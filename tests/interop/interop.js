'use strict';
// The node-mavlink side of the interop test. Reads one JSON request on stdin
// and answers with one JSON document on stdout:
//   { "modules": dir, "encode": [...], "decode": [...], "table": [ids] }
// encode: {msgid, version (1|2), sysid, compid, seq, fields: {wire_name: value}}
//         -> hex of the frame as node-mavlink writes it (marker 0xFD or 0xFE)
// decode: hex of a frame with the standard marker
//         -> header, checksum verdict and fields by wire name
// table:  message ids -> CRC_EXTRA and payload lengths as node-mavlink knows them
//
// Known quirks of node-mavlink 2.3.0 handled here: message classes start with
// enum names in enum fields (every field is zeroed first), and its packet
// parser does not check the checksum (checked here with x25crc).
const path = require('path');

function main(input) {
  const req = JSON.parse(input);
  const mav = require(path.join(req.modules, 'node-mavlink'));
  const registries = [mav.minimal.REGISTRY, mav.common.REGISTRY, mav.standard.REGISTRY,
    mav.ardupilotmega.REGISTRY];
  const classFor = (id) => {
    for (const reg of registries) {
      if (reg[id]) return reg[id];
    }
    throw new Error('node-mavlink knows no message ' + id);
  };
  const isBig = (type) => type.startsWith('uint64_t') || type.startsWith('int64_t');
  const zeroOf = (f) => {
    if (f.type === 'char[]') return '';
    if (f.type.endsWith('[]')) return new Array(f.length).fill(isBig(f.type) ? 0n : 0);
    return isBig(f.type) ? 0n : 0;
  };
  const fromJson = (f, v) => {
    if (f.type.endsWith('[]') && f.type !== 'char[]') return v.map((x) => (isBig(f.type) ? BigInt(x) : x));
    return isBig(f.type) ? BigInt(v) : v;
  };
  const toJson = (v) => {
    if (typeof v === 'bigint') return v.toString();
    if (Array.isArray(v)) return v.map(toJson);
    return v;
  };

  const out = { encoded: [], decoded: [], table: {} };

  for (const e of req.encode || []) {
    const clazz = classFor(e.msgid);
    const msg = new clazz();
    for (const f of clazz.FIELDS) msg[f.name] = zeroOf(f);
    for (const [name, value] of Object.entries(e.fields)) {
      const f = clazz.FIELDS.find((x) => x.source === name);
      if (!f) throw new Error(clazz.MSG_NAME + ' has no field ' + name);
      msg[f.name] = fromJson(f, value);
    }
    const protocol = e.version === 1 ? new mav.MavLinkProtocolV1(e.sysid, e.compid)
      : new mav.MavLinkProtocolV2(e.sysid, e.compid);
    out.encoded.push(protocol.serialize(msg, e.seq).toString('hex'));
  }

  for (const hex of req.decode || []) {
    const buf = Buffer.from(hex, 'hex');
    const v1 = buf[0] === mav.MavLinkProtocolV1.START_BYTE;
    const protocol = v1 ? new mav.MavLinkProtocolV1() : new mav.MavLinkProtocolV2();
    const header = protocol.header(buf);
    const clazz = classFor(header.msgid);
    const headerLength = v1 ? 6 : 10;
    const frame = buf.subarray(0, headerLength + header.payloadLength + 2);
    const crc = mav.x25crc(frame, 1, 2, mav.MSG_ID_MAGIC_NUMBER[header.msgid]);
    const data = protocol.data(protocol.payload(buf), clazz);
    const fields = {};
    for (const f of clazz.FIELDS) fields[f.source] = toJson(data[f.name]);
    out.decoded.push({
      name: clazz.MSG_NAME,
      msgid: header.msgid,
      len: header.payloadLength,
      incompat: v1 ? 0 : header.incompatibilityFlags,
      seq: header.seq,
      sysid: header.sysid,
      compid: header.compid,
      crcOk: crc === protocol.crc(buf),
      fields,
    });
  }

  for (const id of req.table || []) {
    const clazz = classFor(id);
    const minLength = clazz.FIELDS.filter((f) => !f.extension)
      .reduce((sum, f) => sum + f.size * (f.length || 1), 0);
    out.table[id] = { crcExtra: clazz.MAGIC_NUMBER, minLength, maxLength: clazz.PAYLOAD_LENGTH };
  }

  process.stdout.write(JSON.stringify(out));
}

let input = '';
process.stdin.setEncoding('utf8');
process.stdin.on('data', (chunk) => { input += chunk; });
process.stdin.on('end', () => {
  try {
    main(input);
  } catch (err) {
    process.stderr.write(String(err && err.stack ? err.stack : err) + '\n');
    process.exit(1);
  }
});
