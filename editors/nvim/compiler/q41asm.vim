" :make with q41asm: the program file's code file beside it. q41asm reports the column as
" GCC does (a tab advances to the next multiple of eight), which %v reads.
if exists("current_compiler") | finish | endif
let current_compiler = "q41asm"
if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif
CompilerSet makeprg=q41asm\ %:S\ -o\ %:r:S.q41
CompilerSet errorformat=%f:%l:%v:\ %trror:\ %m,%f:%l:\ %tarning:\ %m,%-G%.%#
