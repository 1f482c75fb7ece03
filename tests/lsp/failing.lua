-- What the Neovim test asks of examples/failing.asm: its diagnostics, and a hover there.
return {
  { name = "hover_mnemonic", method = "textDocument/hover", at = { "mov r0", 0 } },
  { name = "unknown_method", method = "textDocument/nothingSuchAsThis", at = { "mov r0", 0 } },
}
