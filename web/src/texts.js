// Texts only the page has, in Russian (0) and English (1). Every text the desktop windows
// also show comes from the core's "texts" request instead, so there is one place for them.
const PageTexts = {
  NewProgram: ['Новая программа', 'New program'],
  OpenAsm: ['Открыть .ASM...', 'Open .ASM...'],
  SaveAsm: ['Сохранить .ASM...', 'Save .ASM...'],
  SaveQ41: ['Сохранить .Q41...', 'Save .Q41...'],
  CompileBlock: ['Компил.+препроцес.(1 блок)', 'Compile+preproc.(1 block)'],
  Listing: ['Листинг', 'Listing'],
  Language: ['Язык', 'Language'],
  Ok: ['ОК', 'OK'],
  Close: ['Закрыть', 'Close'],
  Loading: ['Загрузка ядра…', 'Loading the core…'],
  Warnings: ['Предупреждения', 'Warnings'],
  LabelKind: ['Вид метки', 'Kind of label'],
  Blocks: ['Блоки программы', 'Program blocks'],
  Commands: ['Команды', 'Commands'],
  CoreFailed: ['Ядро не загрузилось: ', 'The core did not load: '],
  Unsaved: ['Программа не сохранена в файл.', 'The program has not been saved to a file.'],
};

// The editor's own words (search panel, rename, lists) in Russian; English is the editor's.
const EditorPhrasesRu = {
  Find: 'Найти',
  Replace: 'Заменить',
  next: 'далее',
  previous: 'назад',
  all: 'все',
  'match case': 'учитывать регистр',
  regexp: 'рег. выражение',
  'by word': 'слово целиком',
  replace: 'заменить',
  'replace all': 'заменить все',
  close: 'закрыть',
  'current match': 'текущее совпадение',
  'replaced $ matches': 'заменено совпадений: $',
  'replaced match on line $': 'заменено в строке $',
  'on line': 'в строке',
  'Go to line': 'Перейти к строке',
  go: 'перейти',
  'New name': 'Новое имя',
  rename: 'переименовать',
  'Reference list': 'Ссылки',
  Completions: 'Варианты',
  Diagnostics: 'Ошибки',
  'No diagnostics': 'Ошибок нет',
  'Control character': 'Управляющий символ',
};

export function editorPhrases() { return language === 0 ? EditorPhrasesRu : {}; }

let language = 1;
let coreTexts = {};

export function setLanguage(value, texts) {
  language = value;
  coreTexts = texts || {};
}

export function currentLanguage() { return language; }

// A text by its name: the page's own table first, then the core's; "%1", "%2" filled in.
export function t(name, ...args) {
  const own = PageTexts[name];
  let text = own ? own[language] : coreTexts[name];
  if (text === undefined) text = name;
  args.forEach((value, i) => {
    text = text.split(`%${i + 1}`).join(String(value));
  });
  return text;
}

// The core's button texts carry "&" before their access key; the page shows them plain.
export function plain(text) { return text.replace(/&(.)/g, '$1'); }
