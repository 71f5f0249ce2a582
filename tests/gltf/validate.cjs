// Validates glTF files with the Khronos glTF validator and prints its
// findings. Exit status 1 when any file has an error or a warning (or
// cannot be read).
// External resources (texture images) are read relative to each file, with
// their URI percent-decoded, so relative references are checked too.
//
// usage: node validate.cjs FILE...
'use strict';

const fs = require('node:fs/promises');
const path = require('node:path');
const validator = require('gltf-validator');

async function validate(file) {
    const data = new Uint8Array(await fs.readFile(file));
    const folder = path.dirname(file);
    const report = await validator.validateBytes(data, {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: async (uri) =>
            new Uint8Array(await fs.readFile(path.join(folder, decodeURIComponent(uri)))),
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
                `${issues.numInfos} infos, ${issues.numHints} hints`);
    const severities = ['error', 'warning', 'info', 'hint'];
    for (const message of issues.messages) {
        console.log(`  ${severities[message.severity]} ${message.code} at ${message.pointer || '/'}: ` +
                    message.message);
    }
    return issues.numErrors + issues.numWarnings;
}

async function main(files) {
    if (files.length === 0) {
        console.error('usage: node validate.cjs FILE...');
        return 2;
    }
    let failed = false;
    for (const file of files) {
        try {
            if (await validate(file) > 0)
                failed = true;
        } catch (error) {
            console.error(`${file}: ${error.message || error}`);
            failed = true;
        }
    }
    return failed ? 1 : 0;
}

main(process.argv.slice(2)).then((status) => { process.exitCode = status; });
