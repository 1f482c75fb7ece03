;;; emacs_test.el --- q41-mode and the language server under Emacs' own eglot  -*- lexical-binding: t -*-
;; Run by emacs_test.sh in batch: opens program.asm (Windows-1251, CR LF, Cyrillic comments,
;; a fault) as a user's Emacs does after (require 'q41-mode), and checks what the user sees.

(require 'package)
(package-initialize)
(require 'q41-mode)

(defun q41-test-fail (format &rest args)
  (princ (concat "emacs_test: " (apply #'format format args) "\n") #'external-debugging-output)
  (kill-emacs 1))

(defun q41-test-wait (what predicate)
  (let ((deadline (+ (float-time) 20)))
    (while (and (not (funcall predicate)) (< (float-time) deadline))
      (accept-process-output nil 0.05))
    (unless (funcall predicate) (q41-test-fail "no %s" what))))

(find-file "program.asm")
(unless (eq major-mode 'q41-mode) (q41-test-fail "mode %s" major-mode))
(unless (eq buffer-file-coding-system 'windows-1251-dos)
  (q41-test-fail "coding %s" buffer-file-coding-system))
(goto-char (point-min))
(unless (search-forward "Программа" nil t) (q41-test-fail "the Cyrillic comment reads otherwise"))
;; eglot-ensure connects after the next command, as the user's first key would.
(run-hooks 'post-command-hook)
(q41-test-wait "language server" (lambda () (eglot-current-server)))
(q41-test-wait "diagnostic" (lambda () (flymake-diagnostics)))
(let* ((d (car (flymake-diagnostics)))
       (beg (flymake-diagnostic-beg d)))
  (goto-char (point-min))
  (search-forward "#5")
  (unless (= beg (- (point) 2))
    (q41-test-fail "the fault at line %d column %d, not at #5 on line %d"
                   (line-number-at-pos beg) (save-excursion (goto-char beg) (current-column))
                   (line-number-at-pos)))
  (princ (format "diagnostic: %s\n" (flymake-diagnostic-text d))))

;; Completion of "mo" where an operation goes.
(goto-char (point-min))
(search-forward "hlt")
(end-of-line)
(insert "\n        mo")
(let* ((capf (eglot-completion-at-point))
       (beg (nth 0 capf)) (end (nth 1 capf))
       (found (completion-all-completions (buffer-substring beg end) (nth 2 capf)
                                          (plist-get (nthcdr 3 capf) :predicate) (- end beg))))
  (unless (member "mov" found) (q41-test-fail "completion of mo offers %S" found))
  (princ (format "completion of mo: %s\n" (substring-no-properties (car (member "mov" found))))))
(delete-region (line-beginning-position) (line-end-position))
(delete-char -1)

;; The fault mended, the string's label renamed: the program compiles.
(goto-char (point-min))
(search-forward "mov r0, #5")
(replace-match "mov #5, r0")
(goto-char (point-min))
(search-forward "msg:")
(backward-char 2)
(eglot--signal-textDocument/didChange)
(eglot-rename "greeting")
(save-buffer)
(goto-char (point-min))
(unless (search-forward "#LEN(greeting)" nil t) (q41-test-fail "LEN(msg) left behind"))
(let ((status (call-process "q41asm" nil nil nil "program.asm" "-o" "program.q41")))
  (unless (eq status 0) (q41-test-fail "q41asm says %s after the rename" status)))
(princ "emacs: windows-1251-dos, the fault in place, mov offered, the rename compiles\n")
(kill-emacs 0)
