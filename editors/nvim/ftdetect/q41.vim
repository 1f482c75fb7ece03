" Q41 program files: Windows-1251 text with CR LF line ends, read and written as such.
augroup q41_detect
  autocmd!
  autocmd BufReadPre *.asm,*.ASM let s:q41_fencs = &fileencodings | set fileencodings=cp1251
  autocmd BufReadPost *.asm,*.ASM if exists('s:q41_fencs') | let &fileencodings = s:q41_fencs | unlet s:q41_fencs | endif
  autocmd BufNewFile *.asm,*.ASM setlocal fileencoding=cp1251 fileformat=dos
  " Over the assembler file type the editor chose: its plug-in must not stop ours.
  autocmd BufRead,BufNewFile *.asm,*.ASM unlet! b:did_ftplugin b:did_indent | set filetype=q41
augroup END
