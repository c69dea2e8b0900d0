// SPDX-License-Identifier: MIT
// The JavaScript faker library on tabbit-gen's 5-digit work, for bench/gen_vs_floor.sh:
// COUNT records of five digits and ";\n" into FILE, seeded, written in large batches so that
// the figure is the library's and not the file system's.
// Usage: node bench/peer_faker.mjs PREFIX COUNT FILE   (PREFIX: where npm installed it)
import { createRequire } from 'node:module';
import { closeSync, openSync, writeSync } from 'node:fs';
import { resolve as resolvePath } from 'node:path';
import { pathToFileURL } from 'node:url';

const [prefix, countText, file] = process.argv.slice(2);
const count = Number(countText);
if (!prefix || !file || !Number.isSafeInteger(count) || count < 0) {
    console.error('usage: node peer_faker.mjs PREFIX COUNT FILE');
    process.exit(2);
}
// Releases up to 9 load with require; 10 and later are ES modules only.
const require = createRequire(resolvePath(prefix, 'package.json'));
let library;
try {
    library = require('@faker-js/faker');
} catch {
    library = await import(pathToFileURL(require.resolve('@faker-js/faker')).href);
}
const { faker } = library;
faker.seed(1);

const batchRecords = 65536;
const fd = openSync(file, 'w');
let batch = [];
for (let i = 0; i < count; i++) {
    batch.push(faker.string.numeric(5) + ';\n');
    if (batch.length === batchRecords) {
        writeSync(fd, batch.join(''));
        batch = [];
    }
}
if (batch.length > 0)
    writeSync(fd, batch.join(''));
closeSync(fd);
