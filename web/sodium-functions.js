// libsodium's base64 encoder, which the glTF writer uses for data URIs
// (.gltf --embed), for the browser module, where no libsodium is linked. The
// module writes only .glb, so this runs only if that changes; it writes what
// sodium_bin2base64 writes for the original variant: padded standard base64
// and a terminating NUL, or nothing (NULL) when the room is too small.
mergeInto(LibraryManager.library, {
  sodium_bin2base64: function (out, outLength, bin, binLength, variant) {
    var alphabet = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
    binLength >>>= 0;
    var need = Math.floor((binLength + 2) / 3) * 4 + 1;
    if ((outLength >>> 0) < need || (variant & 6) !== 0) return 0;
    var at = out >>> 0;
    for (var i = 0; i < binLength; i += 3) {
      var a = HEAPU8[(bin >>> 0) + i], b = i + 1 < binLength ? HEAPU8[(bin >>> 0) + i + 1] : 0,
          c = i + 2 < binLength ? HEAPU8[(bin >>> 0) + i + 2] : 0;
      HEAPU8[at++] = alphabet.charCodeAt(a >> 2);
      HEAPU8[at++] = alphabet.charCodeAt(((a & 3) << 4) | (b >> 4));
      HEAPU8[at++] = i + 1 < binLength ? alphabet.charCodeAt(((b & 15) << 2) | (c >> 6)) : 61;
      HEAPU8[at++] = i + 2 < binLength ? alphabet.charCodeAt(c & 63) : 61;
    }
    HEAPU8[at] = 0;
    return out;
  },
});
