-- Q41 program files: comments, the compiler for :make, and the language server q41-lsp
-- started once and attached to every program buffer (Neovim 0.7's client).
if vim.b.did_ftplugin then return end
vim.b.did_ftplugin = true

vim.bo.commentstring = "; %s"
vim.bo.comments = ":;"
vim.bo.omnifunc = "v:lua.vim.lsp.omnifunc"
vim.cmd("compiler q41asm")

if vim.fn.executable("q41-lsp") == 1 then
  local clients = vim.g.q41_lsp_client and vim.lsp.get_client_by_id(vim.g.q41_lsp_client)
  if not clients then
    vim.g.q41_lsp_client = vim.lsp.start_client({
      name = "q41-lsp",
      cmd = { "q41-lsp" },
      root_dir = vim.fn.getcwd(),
    })
  end
  if vim.g.q41_lsp_client then
    vim.lsp.buf_attach_client(0, vim.g.q41_lsp_client)
  end
end
