#!/usr/bin/env node
// q41asm under node: the same tool, built to WebAssembly. It takes q41asm's options and
// gives its bytes, messages and exit status.
import { createRequire } from 'node:module';

createRequire(import.meta.url)('./q41asm.cjs');
