// Runs the Khronos glTF validator (npm package gltf-validator) on each file named on the
// command line and prints one JSON line per file: its name, the numbers of errors, warnings
// and infos, and the messages of the errors and warnings. Exit status 0 when it ran.
// Usage: node validate-gltf.js MODULE_FOLDER FILE...
const fs = require('fs');
const path = require('path');
const validator = require(path.join(process.argv[2], 'gltf-validator'));

(async () => {
    for (const file of process.argv.slice(3)) {
        const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
            uri: path.basename(file),
            maxIssues: 100,
            externalResourceFunction: (uri) => Promise.resolve(
                new Uint8Array(fs.readFileSync(path.resolve(path.dirname(file), decodeURIComponent(uri))))),
        });
        const issues = report.issues;
        console.log(JSON.stringify({
            file,
            errors: issues.numErrors,
            warnings: issues.numWarnings,
            infos: issues.numInfos,
            messages: issues.messages.filter((m) => m.severity <= 1)
                .map((m) => `${m.code} ${m.pointer || ''}: ${m.message}`),
        }));
    }
})().catch((e) => {
    console.error(String(e));
    process.exit(2);
});
