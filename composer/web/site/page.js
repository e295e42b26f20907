// The composer's face on the page: draws Form1 from the form table, carries out what the session
// asks of its controls and hands it what the user does. Every rule is the session's (quillon.wasm);
// nothing here decides what a click, a key or an edit means.

const form1 = document.getElementById('form1');
// Where the keeper keeps melodies in the module's file system ($HOME/.local/share/quillon),
// held in the browser's IndexedDB; files opened and saved pass through FILES.
const KEPT = '/home/web_user/.local/share/quillon';
const FILES = '/files';
const TWIPS_PER_PIXEL = 15;

let Module;
let page;
const controls = new Map();

// ---------------------------------------------------------------------------------------------
// Text1: the textarea, and the layer under it that draws the underlines and the heard light.

const text1 = document.createElement('textarea');
const marksLayer = document.createElement('div');
// The text as the page last gave it to the session or took it from it; the user's edit is
// what differs from it.
let known = '';
// Where each line begins, kept as the text changes.
let lineStarts = [0];
let heard = null;
let composing = false;
let drawPending = false;

function startsOfLines(text, offset) {
    const starts = [];
    let at = text.indexOf('\n');
    while (at >= 0) {
        starts.push(offset + at + 1);
        at = text.indexOf('\n', at + 1);
    }
    return starts;
}

// [from, to) of the text gave way to `inserted`.
function linesChanged(from, to, inserted) {
    const delta = inserted.length - (to - from);
    const first = upperBound(lineStarts, from);
    const last = upperBound(lineStarts, to);
    const added = startsOfLines(inserted, from);
    const after = lineStarts.slice(last).map((start) => start + delta);
    lineStarts.length = first;
    for (const start of added) lineStarts.push(start);
    for (const start of after) lineStarts.push(start);
}

// The index of the first element greater than `value`.
function upperBound(list, value) {
    let low = 0;
    let high = list.length;
    while (low < high) {
        const middle = (low + high) >> 1;
        if (list[middle] <= value) low = middle + 1;
        else high = middle;
    }
    return low;
}

function lineOf(offset) {
    return upperBound(lineStarts, offset) - 1;
}

const style = {};
function measureText1() {
    const computed = getComputedStyle(text1);
    style.lineHeight = parseFloat(computed.lineHeight);
    style.padTop = parseFloat(computed.paddingTop) + parseFloat(computed.borderTopWidth);
    style.padLeft = parseFloat(computed.paddingLeft) + parseFloat(computed.borderLeftWidth);
    style.font = computed.font;
}

function scheduleDraw() {
    if (!drawPending) {
        drawPending = true;
        requestAnimationFrame(() => {
            drawPending = false;
            drawMarks();
        });
    }
}

// Draws the lines in view that carry an underline or the light: the text up to the last of them,
// transparent, so that each decoration falls under its characters.
function drawMarks() {
    marksLayer.style.width = `${text1.clientWidth + 2}px`;
    marksLayer.style.height = `${text1.clientHeight + 2}px`;
    const first = Math.max(0, Math.floor(text1.scrollTop / style.lineHeight));
    const count = Math.ceil(text1.clientHeight / style.lineHeight) + 1;
    const lastLine = Math.min(lineStarts.length - 1, first + count);
    const from = lineStarts[first] ?? 0;
    const to = lastLine + 1 < lineStarts.length ? lineStarts[lastLine + 1] : known.length;
    const spans = page ? Array.from(page.marksWithin(from, to)) : [];
    if (heard && heard.end > from && heard.begin < to) {
        spans.push({ begin: heard.begin, end: heard.end, heard: true });
    }
    const rows = new Map();
    for (const span of spans) {
        const line = lineOf(Math.max(span.begin, from));
        const endLine = lineOf(Math.max(span.begin, span.end - 1));
        for (let l = line; l <= Math.min(endLine, lastLine); ++l) {
            if (l < first) continue;
            if (!rows.has(l)) rows.set(l, []);
            rows.get(l).push(span);
        }
    }
    const fragment = document.createDocumentFragment();
    for (const [line, lineSpans] of rows) {
        const start = lineStarts[line];
        const end = line + 1 < lineStarts.length ? lineStarts[line + 1] - 1 : known.length;
        const row = document.createElement('div');
        row.className = 'row';
        row.style.top = `${style.padTop - 1 + line * style.lineHeight - text1.scrollTop}px`;
        row.style.left = `${style.padLeft - 1 - text1.scrollLeft}px`;
        // Cut the line at every edge of a span, and class each piece by the spans over it.
        const edges = new Set([start]);
        let last = start;
        for (const span of lineSpans) {
            const b = Math.max(span.begin, start);
            const e = Math.min(span.end, end);
            edges.add(b);
            edges.add(e);
            last = Math.max(last, e);
        }
        const cuts = [...edges].filter((edge) => edge <= last).sort((a, b) => a - b);
        for (let i = 0; i + 1 < cuts.length; ++i) {
            const piece = document.createElement('span');
            piece.textContent = known.slice(cuts[i], cuts[i + 1]);
            for (const span of lineSpans) {
                if (span.begin <= cuts[i] && span.end >= cuts[i + 1]) {
                    piece.classList.add(span.heard ? 'heard' : span.error ? 'error' : 'hint');
                }
            }
            row.append(piece);
        }
        fragment.append(row);
    }
    marksLayer.replaceChildren(fragment);
}

// The user's edit, as the smallest change the caret and the two texts show cheaply: the
// session cuts a report that names too much down to what differs.
function reportEdit() {
    const now = text1.value;
    if (now === known) return;
    const caret = text1.selectionEnd;
    let suffix = now.length - caret;
    if (suffix > known.length || !known.endsWith(now.slice(caret))) suffix = 0;
    let prefix = Math.min(caret, known.length - suffix);
    if (!now.startsWith(known.slice(0, prefix))) prefix = 0;
    const removedEnd = known.length - suffix;
    const inserted = now.slice(prefix, now.length - suffix);
    linesChanged(prefix, removedEnd, inserted);
    known = now;
    call(() => page.textEdited(prefix, removedEnd - prefix, inserted, now.length));
    scheduleDraw();
}

// Scrolls Text1 so that the characters [begin, end) are in view.
function scrollIntoView(begin, end) {
    const line = lineOf(begin);
    const top = line * style.lineHeight;
    if (top < text1.scrollTop || top + style.lineHeight > text1.scrollTop + text1.clientHeight) {
        text1.scrollTop = Math.max(0, top - text1.clientHeight / 2);
    }
    // Across only as far as a line's start can be measured quickly.
    const lineText = known.slice(lineStarts[line], begin);
    if (lineText.length > 4000) return;
    const x = textWidth(lineText);
    const width = textWidth(known.slice(begin, Math.min(end, begin + 200)));
    if (x < text1.scrollLeft || x + width > text1.scrollLeft + text1.clientWidth - 8) {
        text1.scrollLeft = Math.max(0, x - 20);
    }
}

let measuring;
function textWidth(text) {
    if (!measuring) {
        measuring = document.createElement('canvas').getContext('2d');
        measuring.font = style.font;
    }
    return measuring.measureText(text).width;
}

// The offset of the character under the pointer, or -1.
function offsetAt(clientX, clientY) {
    const box = text1.getBoundingClientRect();
    const y = clientY - box.top - style.padTop + text1.scrollTop;
    const x = clientX - box.left - style.padLeft + text1.scrollLeft;
    const line = Math.floor(y / style.lineHeight);
    if (line < 0 || line >= lineStarts.length || x < 0) return -1;
    const start = lineStarts[line];
    const end = line + 1 < lineStarts.length ? lineStarts[line + 1] - 1 : known.length;
    // The first character whose right edge lies beyond x.
    let low = start;
    let high = end;
    while (low < high) {
        const middle = (low + high) >> 1;
        if (textWidth(known.slice(start, middle + 1)) <= x) low = middle + 1;
        else high = middle;
    }
    return low < end ? low : -1;
}

// ---------------------------------------------------------------------------------------------
// What the session asks of the page.

const timers = new Map();
const documents = new Map();

const face = {
    // Text1
    textValue: () => text1.value,
    replaceText(from, to, text) {
        // The caret and the selection stay on their characters; one standing where text is
        // inserted goes on after it, as a caret at the end follows the automatic line break
        // while the user types there.
        const follow = (at) => (at > to || (at === from && from === to) ? at + text.length - (to - from)
            : at > from ? from + text.length : at);
        const [start, end, direction] =
            [text1.selectionStart, text1.selectionEnd, text1.selectionDirection];
        text1.setRangeText(text, from, to);
        text1.setSelectionRange(follow(start), follow(end), direction);
        linesChanged(from, to, text);
        known = known.slice(0, from) + text + known.slice(to);
        scheduleDraw();
    },
    caret: () => text1.selectionEnd,
    selection: () => [text1.selectionStart, text1.selectionEnd],
    select(begin, end) {
        text1.setSelectionRange(begin, end);
        if (end >= known.length) {
            text1.scrollTop = text1.scrollHeight;
        } else {
            scrollIntoView(end, end);
        }
        scheduleDraw();
    },
    selectAll() {
        text1.select();
    },
    marksChanged() {
        scheduleDraw();
    },
    setHeard(begin, end) {
        heard = begin === null ? null : { begin, end };
        if (heard) scrollIntoView(begin, end);
        scheduleDraw();
    },

    setCaption(target, text) {
        if (target === 'form1') {
            document.title = text;
            document.getElementById('caption').textContent = text;
            return;
        }
        const label = controls.get(target);
        label.textContent = text;
        if (target === 'label3') placeLabel5();
    },

    startTimer(id, milliseconds) {
        clearTimeout(timers.get(id));
        timers.set(id, setTimeout(() => {
            timers.delete(id);
            call(() => page.timerFired(id));
        }, milliseconds));
    },
    stopTimer(id) {
        clearTimeout(timers.get(id));
        timers.delete(id);
    },

    notice(kind, text, detail) {
        showDialog('notice', (dialog) => {
            dialog.dataset.kind = kind;
            document.getElementById('notice-text').textContent = text;
            document.getElementById('notice-detail').textContent = detail;
        });
    },
    about(title, text) {
        showDialog('about', () => {
            document.getElementById('about-title').textContent = title;
            document.getElementById('about-text').textContent = text.replace('▲', '\n');
        });
    },
    copyText(text) {
        return copyToClipboard(text);
    },

    askOpen(id, title, accept) {
        const input = document.getElementById('open-file');
        input.accept = accept ? `${accept},.txt,.rtttl,.rtx,.mid,.midi` : '';
        input.title = title;
        input.value = '';
        let answered = false;
        const answer = (path) => {
            if (answered) return;
            answered = true;
            call(() => page.answerPath(id, path));
        };
        input.onchange = async () => {
            const file = input.files[0];
            answer(file ? await copyIn(file) : '');
        };
        input.oncancel = () => answer('');
        input.click();
    },
    askSave(id, title, accept, suggested) {
        saveAs(id, suggested || 'melody.h');
    },
    askClose(id, question, save, dontSave, cancel) {
        showDialog('close-question', () => {
            document.getElementById('close-text').textContent = question;
            document.getElementById('close-save').textContent = save;
            document.getElementById('close-dont-save').textContent = dontSave;
            document.getElementById('close-cancel').textContent = cancel;
        }, (value) => call(() => page.answerClose(id, value === '' ? 2 : Number(value))));
    },
    askTune(id, title, prompt, rows, defaultRow, take, cancel) {
        const list = document.getElementById('tune-list');
        showDialog('tune-choice', () => {
            document.getElementById('tune-title').textContent = title;
            document.getElementById('tune-prompt').textContent = prompt;
            document.getElementById('tune-take').textContent = take;
            document.getElementById('tune-cancel').textContent = cancel;
            list.replaceChildren(...rows.map((row, i) => new Option(row, String(i))));
            list.selectedIndex = defaultRow;
            list.ondblclick = () => document.getElementById('tune-take').click();
            list.onkeydown = (event) => {
                if (event.key === 'Enter') {
                    event.preventDefault();
                    document.getElementById('tune-take').click();
                }
            };
        }, (value) => call(() => page.answerTune(id, value === 'take' ? list.selectedIndex : -1)),
        list);
    },
};

// Every call into the session, so that files it saved reach the user and what it kept reaches
// the browser's storage.
function call(run) {
    const result = run();
    pushSavedFiles();
    keepInBrowser();
    return result;
}

// ---------------------------------------------------------------------------------------------
// Dialogs: one at a time, in order, each answering once.

const dialogQueue = [];
function showDialog(id, fill, answer = () => {}, focus = null) {
    dialogQueue.push({ id, fill, answer, focus });
    if (dialogQueue.length === 1) openNextDialog();
}

function openNextDialog() {
    const next = dialogQueue[0];
    if (!next) return;
    const dialog = document.getElementById(next.id);
    const returnFocus = document.activeElement;
    dialog.returnValue = '';
    next.fill(dialog);
    dialog.onclose = () => {
        dialogQueue.shift();
        if (returnFocus && returnFocus.focus) returnFocus.focus();
        next.answer(dialog.returnValue);
        openNextDialog();
    };
    dialog.showModal();
    if (next.focus) next.focus.focus();
}

function copyToClipboard(text) {
    const holder = document.createElement('textarea');
    holder.value = text;
    holder.setAttribute('readonly', '');
    holder.style.position = 'fixed';
    holder.style.opacity = '0';
    const focused = document.activeElement;
    const selection = [text1.selectionStart, text1.selectionEnd];
    document.body.append(holder);
    holder.select();
    let copied = false;
    try {
        copied = document.execCommand('copy');
    } catch {
        copied = false;
    }
    holder.remove();
    if (focused && focused.focus) focused.focus();
    if (focused === text1) text1.setSelectionRange(selection[0], selection[1]);
    return copied;
}

// ---------------------------------------------------------------------------------------------
// Files: opened ones are copied into the module's file system; saved ones are handed on to the
// file the user picked, or downloaded.

function safeName(name) {
    return name.replace(/[\/\0]/g, '_') || 'melody.h';
}

async function copyIn(file) {
    const path = `${FILES}/${safeName(file.name)}`;
    const bytes = new Uint8Array(await file.arrayBuffer());
    Module.FS.writeFile(path, bytes);
    documents.set(path, { handle: null, written: Module.FS.stat(path).mtime.getTime() });
    return path;
}

async function saveAs(id, suggested) {
    let name = suggested;
    let handle = null;
    if (window.showSaveFilePicker) {
        try {
            handle = await window.showSaveFilePicker({
                suggestedName: suggested,
                types: [{ description: 'C', accept: { 'text/x-c': ['.h', '.c'] } }],
            });
            name = handle.name;
        } catch (error) {
            // Cancelled, or refused: nothing is saved and nothing changes.
            call(() => page.answerPath(id, ''));
            return;
        }
    }
    const path = `${FILES}/${safeName(name)}`;
    documents.set(path, { handle, written: null });
    call(() => page.answerPath(id, path));
}

function pushSavedFiles() {
    for (const [path, document_] of documents) {
        let stat;
        try {
            stat = Module.FS.stat(path);
        } catch {
            continue;
        }
        const written = stat.mtime.getTime();
        if (written === document_.written) continue;
        document_.written = written;
        const bytes = Module.FS.readFile(path);
        if (document_.handle) {
            writeToHandle(document_.handle, bytes);
        } else {
            download(path.slice(FILES.length + 1), bytes);
        }
    }
}

async function writeToHandle(handle, bytes) {
    try {
        const writable = await handle.createWritable();
        await writable.write(bytes);
        await writable.close();
    } catch (error) {
        face.notice('warning', Module.cannotWriteText(), `${handle.name}\n${error && error.message || error}`);
    }
}

function download(name, bytes) {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// ---------------------------------------------------------------------------------------------
// Keeping: the keeper's folder lives in IndexedDB; after every call that may have written it,
// the browser's copy is brought up to date. Refused or full: said once, the page goes on.

let keptMounted = false;
let syncing = false;
let syncAgain = false;
let syncTimer = null;
let storageTold = false;
// At most every 200 ms: the keeper writes from its own timer, and a burst of clicks would
// otherwise compare the whole folder with the browser's copy at every click.
function keepInBrowser() {
    if (keptMounted && syncTimer === null) {
        syncTimer = setTimeout(() => {
            syncTimer = null;
            syncKept();
        }, 200);
    }
}

function syncKept() {
    if (!keptMounted) return;
    if (syncing) {
        syncAgain = true;
        return;
    }
    syncing = true;
    Module.FS.syncfs(false, (error) => {
        syncing = false;
        if (error && !storageTold) {
            storageTold = true;
            face.notice('warning', Module.melodiesNotKeptText(), String(error.message || error));
        }
        if (syncAgain) {
            syncAgain = false;
            syncKept();
        }
    });
}

async function mountKept() {
    Module.FS.mkdirTree(KEPT);
    Module.FS.mkdirTree(FILES);
    try {
        Module.FS.mount(Module.FS.filesystems.IDBFS, {}, KEPT);
        await new Promise((resolve, reject) =>
            Module.FS.syncfs(true, (error) => (error ? reject(error) : resolve())));
        keptMounted = true;
    } catch (error) {
        return error;
    }
    return null;
}

// ---------------------------------------------------------------------------------------------
// The form.

function px(twips) {
    return `${twips / TWIPS_PER_PIXEL}px`;
}

function elementId(control) {
    const name = control.name;
    if (name.startsWith('Command')) return name;
    const id = name.charAt(0).toLowerCase() + name.slice(1);
    return control.index >= 0 ? `${id}_${control.index}` : id;
}

function place(element, control) {
    element.style.left = px(control.left);
    element.style.top = px(control.top);
    element.style.width = px(control.width);
    element.style.height = px(control.height);
    element.dataset.name = control.name;
    if (control.index >= 0) element.dataset.index = String(control.index);
}

function buildForm() {
    const table = Module.formTable();
    table.forEach((control, index) => {
        const id = elementId(control);
        let element;
        switch (control.kind) {
        case 'TextBox':
            element = text1;
            element.id = id;
            element.wrap = 'off';
            element.spellcheck = false;
            element.setAttribute('autocomplete', 'off');
            element.setAttribute('autocorrect', 'off');
            element.setAttribute('autocapitalize', 'off');
            element.setAttribute('aria-label', control.accessibleName || 'AVR代码');
            marksLayer.id = 'text1-marks';
            marksLayer.setAttribute('aria-hidden', 'true');
            place(marksLayer, control);
            form1.append(marksLayer);
            break;
        case 'PictureButton':
        case 'CaptionButton':
            element = document.createElement('button');
            element.type = 'button';
            element.id = id;
            if (control.kind === 'PictureButton') {
                element.className = 'picture';
                const face = document.createElement('img');
                face.src = `faces/${control.name}.png`;
                face.alt = '';
                element.append(face);
                element.setAttribute('aria-label', control.accessibleName);
                element.title = control.accessibleName;
            } else {
                element.className = 'caption-button';
                element.textContent = control.caption;
            }
            element.addEventListener('click', () => call(() => page.click(index)));
            break;
        case 'Line':
            element = document.createElement('div');
            element.id = id;
            element.className = 'line';
            element.setAttribute('role', 'separator');
            break;
        case 'Label':
            element = document.createElement('div');
            element.id = id;
            element.className = control.autoSize ? 'label auto' : 'label';
            element.textContent = control.caption;
            if (control.fore) element.style.color = control.fore;
            if (id === 'label3') element.setAttribute('aria-live', 'polite');
            break;
        case 'Timer':
            // The clock: the time of day in the user's own format, every interval.
            setInterval(showClock, control.interval);
            return;
        default:
            return;
        }
        place(element, control);
        if (control.tabIndex >= 0) {
            element.tabIndex = 0;
        } else if (element.tagName === 'BUTTON') {
            element.tabIndex = -1;
        }
        controls.set(id, element);
        form1.append(element);
    });
    // The page's order is the tab order: the table lists the focusable controls first, in it.
}

function showClock() {
    const clock = controls.get('label6');
    if (clock) {
        clock.textContent = new Date().toLocaleTimeString(undefined,
            { hour: '2-digit', minute: '2-digit', second: '2-digit', hour12: false });
    }
}

// "bytes" keeps one blank from the count once the count has grown past its room.
function placeLabel5() {
    const count = controls.get('label3');
    const bytes = controls.get('label5');
    const designed = 1920 / TWIPS_PER_PIXEL;
    const blank = textWidth(' ') || 4;
    bytes.style.left = `${Module.label5Left(designed, Math.ceil(count.offsetLeft + count.offsetWidth), Math.ceil(blank))}px`;
}

// ---------------------------------------------------------------------------------------------
// The context menu: the session's entries, and the page's own share link.

const menu = document.getElementById('menu');
const SHARE_LINK = -1;

function openMenu(x, y) {
    const entries = Array.from(page.menu());
    const build = (list, into) => {
        const separatorBefore = [2, 3];
        list.forEach((entry, i) => {
            const submenu = Array.from(entry.submenu);
            const item = document.createElement('button');
            item.type = 'button';
            // The mnemonic's "&" is the desktop menus' own; "&&" is a plain "&".
            item.textContent = entry.text.replace(/&(&?)/g, '$1');
            item.disabled = !entry.enabled;
            item.setAttribute('role', entry.checkable ? 'menuitemcheckbox' : 'menuitem');
            if (entry.checkable) item.setAttribute('aria-checked', String(entry.checked));
            if (into === menu && separatorBefore.includes(i)) into.append(document.createElement('hr'));
            into.append(item);
            if (submenu.length) {
                item.setAttribute('aria-haspopup', 'true');
                const group = document.createElement('div');
                group.className = 'submenu';
                group.setAttribute('role', 'group');
                build(submenu, group);
                into.append(group);
                item.disabled = true;
                return;
            }
            item.addEventListener('click', () => {
                closeMenu();
                text1.focus();
                if (entry.action === SHARE_LINK) {
                    call(() => page.copyShareLink(location.href));
                } else {
                    call(() => page.perform(entry.action, entry.item));
                }
            });
        });
    };
    menu.replaceChildren();
    build(entries, menu);
    menu.hidden = false;
    const width = menu.offsetWidth;
    const height = menu.offsetHeight;
    menu.style.left = `${Math.max(0, Math.min(x, innerWidth - width))}px`;
    menu.style.top = `${Math.max(0, Math.min(y, innerHeight - height))}px`;
    const first = menu.querySelector('[role^="menuitem"]:not(:disabled)');
    if (first) first.focus();
}

function closeMenu() {
    menu.hidden = true;
}

menu.addEventListener('keydown', (event) => {
    const items = [...menu.querySelectorAll('[role^="menuitem"]:not(:disabled)')];
    const at = items.indexOf(document.activeElement);
    if (event.key === 'Escape') {
        event.preventDefault();
        event.stopPropagation();
        closeMenu();
        text1.focus();
    } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
        event.preventDefault();
        const step = event.key === 'ArrowDown' ? 1 : -1;
        items[(at + step + items.length) % items.length]?.focus();
    }
});
document.addEventListener('mousedown', (event) => {
    if (!menu.hidden && !menu.contains(event.target)) closeMenu();
});

// ---------------------------------------------------------------------------------------------
// Wiring.

function wireText1() {
    text1.addEventListener('input', (event) => {
        if (composing || event.isComposing) return;
        reportEdit();
    });
    text1.addEventListener('compositionstart', () => {
        composing = true;
    });
    text1.addEventListener('compositionend', () => {
        composing = false;
        reportEdit();
    });
    // The browser's own undo would walk the textarea's history, not the session's.
    text1.addEventListener('beforeinput', (event) => {
        if (event.inputType === 'historyUndo' || event.inputType === 'historyRedo') {
            event.preventDefault();
            const action = event.inputType === 'historyUndo' ? undoAction : redoAction;
            call(() => page.perform(action, 0));
        }
    });
    text1.addEventListener('scroll', scheduleDraw);
    text1.addEventListener('contextmenu', (event) => {
        if (event.shiftKey) return;
        event.preventDefault();
        openMenu(event.clientX, event.clientY);
    });
    let tipPending = false;
    text1.addEventListener('mousemove', (event) => {
        if (tipPending) return;
        tipPending = true;
        setTimeout(() => {
            tipPending = false;
            const at = offsetAt(event.clientX, event.clientY);
            const tip = at >= 0 ? page.tipAt(at) : '';
            if (text1.title !== tip) text1.title = tip;
        }, 120);
    });
}

// The session's actions as the menu gives them (Undo, Redo first).
let undoAction = 0;
let redoAction = 0;

function wireKeys() {
    document.addEventListener('keydown', (event) => {
        if (event.defaultPrevented || document.querySelector('dialog[open]')) return;
        if (!menu.hidden) return;
        if (event.key === 'ContextMenu' && document.activeElement === text1) {
            event.preventDefault();
            const box = text1.getBoundingClientRect();
            openMenu(box.left + 20, box.top + 20);
            return;
        }
        const inText1 = document.activeElement === text1;
        const taken = call(() => page.key(event.key, event.ctrlKey || event.metaKey,
            event.shiftKey, event.altKey, inText1));
        if (taken) {
            event.preventDefault();
            event.stopPropagation();
        }
    });
}

function wireDrop() {
    form1.addEventListener('dragover', (event) => {
        if (event.dataTransfer && [...event.dataTransfer.types].includes('Files')) {
            event.preventDefault();
            event.dataTransfer.dropEffect = 'copy';
        }
    });
    form1.addEventListener('drop', async (event) => {
        const file = event.dataTransfer && event.dataTransfer.files[0];
        if (!file) return;
        event.preventDefault();
        const path = await copyIn(file);
        call(() => page.openDropped(path));
    });
}

function wireLeaving() {
    // The melody is kept at once; the browser asks its own question when the melody's file has
    // changes not saved (the caption then begins with "*").
    addEventListener('pagehide', () => {
        if (page) {
            call(() => page.leaving());
            // Now: the page may be gone before a pause comes.
            syncKept();
        }
    });
    addEventListener('beforeunload', (event) => {
        if (document.title.startsWith('*')) {
            event.preventDefault();
            event.returnValue = '';
        }
    });
}

async function start() {
    Module = await createQuillon({ locateFile: (name) => name });
    const storageError = await mountKept();
    buildForm();
    measureText1();
    wireText1();
    wireKeys();
    wireDrop();
    wireLeaving();

    page = new Module.WebPage(face);
    // Undo and Redo lead the menu: their action numbers come from there, not from here.
    const entries = Array.from(page.menu());
    undoAction = entries[0].action;
    redoAction = entries[1].action;
    call(() => page.load());
    known = text1.value;
    lineStarts = [0, ...startsOfLines(known, 0)];
    if (storageError) {
        storageTold = true;
        face.notice('warning', Module.melodiesNotKeptText(), String(storageError.message || storageError));
    }
    // A shared link opens its melody as a new one; the address then loses the melody, so that a
    // reload does not open it again.
    if (location.hash.length > 1) {
        call(() => page.openShared(decodeURIComponent(location.hash.slice(1))));
        history.replaceState(null, '', location.pathname + location.search);
    }
    showClock();
    text1.focus();
    text1.setSelectionRange(known.length, known.length);
    scheduleDraw();
    form1.dataset.ready = '';
    if ('serviceWorker' in navigator) {
        navigator.serviceWorker.register('sw.js').catch(() => {});
    }
}

start();
