-- Drives q41-lsp from Neovim's own language-server client, headless: opens a program file,
-- waits for its diagnostics, then asks what a user's editor asks, at places found by their
-- text, and writes every answer as JSON for the runner to compare with the expected ones.
-- Environment: Q41_LSP (the server), Q41_LSP_FILE (the program), Q41_LSP_OUT (the answers).

local server = os.getenv("Q41_LSP")
local file = os.getenv("Q41_LSP_FILE")
local out = os.getenv("Q41_LSP_OUT")

local function fail(message)
  io.stderr:write("nvim_client: " .. message .. "\n")
  vim.cmd("cquit 1")
end

vim.cmd("edit " .. vim.fn.fnameescape(file))
local buf = vim.api.nvim_get_current_buf()
local answers = { requests = 0 }
local client_id = vim.lsp.start_client({
  cmd = { server, "--lang", "en" },
  root_dir = vim.fn.fnamemodify(file, ":h"),
  handlers = {
    ["textDocument/publishDiagnostics"] = function(_, result)
      answers.diagnostics = result.diagnostics
    end,
  },
})
if client_id == nil then fail("the server did not start") end
vim.lsp.buf_attach_client(buf, client_id)
if not vim.wait(10000, function() return answers.diagnostics ~= nil end, 10) then
  fail("no diagnostics")
end

-- The position of the first match of `pattern` (a Vim pattern), and `offset` characters on.
local function at(pattern, offset)
  local found = vim.fn.searchpos(pattern, "nw")
  if found[1] == 0 then fail("no " .. pattern .. " in " .. file) end
  return { line = found[1] - 1, character = found[2] - 1 + (offset or 0) }
end

local function ask(name, method, params)
  params.textDocument = { uri = vim.uri_from_bufnr(buf) }
  local replies = vim.lsp.buf_request_sync(buf, method, params, 10000)
  if replies == nil or replies[client_id] == nil then fail("no answer to " .. method) end
  local reply = replies[client_id]
  answers[name] = reply.error ~= nil and { error = reply.error.message } or reply.result
  answers.requests = answers.requests + 1
end

-- The requests for each program: where to ask is found by the text there.
local requests = dofile(os.getenv("Q41_LSP_REQUESTS"))
for _, r in ipairs(requests) do
  local params = r.params or {}
  if r.at then params.position = at(r.at[1], r.at[2]) end
  ask(r.name, r.method, params)
end

local handle = io.open(out, "w")
handle:write(vim.fn.json_encode(answers))
handle:close()
vim.lsp.stop_client(client_id)
vim.cmd("qall!")
