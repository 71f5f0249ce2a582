// The zlib functions the image path calls (compress2, compressBound, crc32),
// for the browser module, where no system zlib is linked: compression by
// pako, zlib's deflate ported to JavaScript, which writes the same bytes as
// zlib 1.2 at the same level (the tests compare the .glb files), bundled
// into kvd-web.js (kvdPako, pako-deflate.js); CRC-32 by its table.
mergeInto(LibraryManager.library, {
  compressBound: function (sourceLen) {
    sourceLen >>>= 0;
    return (sourceLen + (sourceLen >>> 12) + (sourceLen >>> 14) + (sourceLen >>> 25) + 13) >>> 0;
  },

  // Z_OK 0, Z_BUF_ERROR -5, Z_STREAM_ERROR -2.
  compress2: function (dest, destLen, source, sourceLen, level) {
    var compressed;
    try {
      compressed = kvdPako.deflate(HEAPU8.subarray(source >>> 0, (source >>> 0) + (sourceLen >>> 0)), {level: level});
    } catch (error) {
      return -2;
    }
    if (compressed.length > (HEAPU32[destLen >>> 2] >>> 0)) return -5;
    HEAPU8.set(compressed, dest >>> 0);
    HEAPU32[destLen >>> 2] = compressed.length;
    return 0;
  },

  $kvdCrcTable: null,
  crc32__deps: ['$kvdCrcTable'],
  crc32: function (crc, buffer, length) {
    if (!buffer) return 0;
    if (kvdCrcTable === null) {
      kvdCrcTable = new Int32Array(256);
      for (var n = 0; n < 256; ++n) {
        var c = n;
        for (var k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
        kvdCrcTable[n] = c;
      }
    }
    crc = ~crc;
    for (var i = buffer >>> 0, end = i + (length >>> 0); i < end; ++i)
      crc = kvdCrcTable[(crc ^ HEAPU8[i]) & 0xFF] ^ (crc >>> 8);
    return ~crc;
  },
});
