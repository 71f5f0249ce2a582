# Wraps pako's deflate build so that it defines kvdPako inside the module's
# factory instead of a global or the module's own exports.
# cmake -DINPUT=pako_deflate.js -DOUTPUT=pako-deflate.js -P WrapPako.cmake
file(READ ${INPUT} source)
file(WRITE ${OUTPUT} "var kvdPako = (function () {\n  var exports = {}, module = {exports: exports}, define;\n${source}\n  return module.exports;\n})();\n")
