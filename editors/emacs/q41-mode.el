;;; q41-mode.el --- Major mode for Q41 program files  -*- lexical-binding: t -*-

;; Version: 1.0
;; Keywords: languages
;; Package-Requires: ((emacs "27.1"))

;;; Commentary:

;; Q41 program files (.asm) are Windows-1251 text with CR LF line ends; this mode reads and
;; writes them so, starts the language server q41-lsp through eglot when eglot is at hand,
;; and teaches compilation mode the places q41asm reports.  After (require 'q41-mode) a
;; program file opens in it.

;;; Code:

(defvar eglot-server-programs)
(defvar compilation-error-regexp-alist)
(defvar compilation-error-regexp-alist-alist)
(declare-function eglot-ensure "eglot")

(defgroup q41 nil "Q41 program files." :group 'languages)

(defcustom q41-mode-start-eglot t
  "Whether a program file starts the language server q41-lsp through eglot."
  :type 'boolean)

(defvar q41-mode-syntax-table
  (let ((table (make-syntax-table)))
    (modify-syntax-entry ?\; "<" table)
    (modify-syntax-entry ?\n ">" table)
    (modify-syntax-entry ?_ "_" table)
    table)
  "Syntax of Q41 source: a comment runs from \";\" to the end of the line.")

;;;###autoload
(define-derived-mode q41-mode prog-mode "Q41"
  "Major mode for Q41 program files."
  (setq-local comment-start "; ")
  (setq-local comment-start-skip ";+ *")
  (setq-local indent-tabs-mode nil)
  (when buffer-file-name
    (setq-local compile-command
                (format "q41asm %s -o %s"
                        (shell-quote-argument (file-name-nondirectory buffer-file-name))
                        (shell-quote-argument
                         (concat (file-name-base buffer-file-name) ".q41")))))
  (when (and q41-mode-start-eglot (require 'eglot nil t) (executable-find "q41-lsp"))
    (eglot-ensure)))

;;;###autoload
(add-to-list 'auto-mode-alist '("\\.[aA][sS][mM]\\'" . q41-mode))
;;;###autoload
(modify-coding-system-alist 'file "\\.[aA][sS][mM]\\'" 'windows-1251-dos)

(with-eval-after-load 'eglot
  (add-to-list 'eglot-server-programs '(q41-mode "q41-lsp")))

;; q41asm's reports: "FILE:LINE:COLUMN: error: TEXT" (the column as GCC counts it) and
;; "FILE:LINE: warning: TEXT".
(with-eval-after-load 'compile
  (add-to-list 'compilation-error-regexp-alist-alist
               '(q41asm "^\\([^:\n]+\\):\\([0-9]+\\):\\(?:\\([0-9]+\\):\\)? \\(?:error\\|\\(warning\\)\\):"
                        1 2 3 (4)))
  (add-to-list 'compilation-error-regexp-alist 'q41asm))

(provide 'q41-mode)
;;; q41-mode.el ends here
