// Transpose: a selection made with the keyboard moved by Alt+Up and kept for the next press, the
// whole melody an octave down with Alt+Shift+Down, undo and redo of both, a note at the edge of
// the range that stays (the message closed with Enter), and the context menu's entry. Expected
// codes: index = code / 8 (C3 = 0 .. B6 = 27), duration = code % 8.
import {
    header, scenario, check, expectText, note, intoText, keys, type, menu, dialogOpen,
} from './harness.mjs';

await scenario('transpose', async ({ page }) => {
    // The message about notes that stayed has the focus: Enter closes it.
    const closeMessage = async (what) => {
        if (check(what, await dialogOpen(page, 'notice'))) await keys(page, 'Enter');
        await page.waitForFunction(() => !document.querySelector('dialog[open]'));
    };

    await note(page, 1, 1, 1); // C3 0x03
    await note(page, 2, 1, 1); // C4 0x3b
    await note(page, 3, 1, 1); // C5 0x73
    await intoText(page);
    // The last two items, "0x3b,0x73,", from the end with Shift+Left.
    for (let i = 0; i < 10; i++) await keys(page, 'Shift+ArrowLeft');
    await keys(page, 'Alt+ArrowUp', 'Alt+ArrowUp');
    await expectText(page, 'Alt+Up twice moves the selected notes two naturals, the first stays',
        `${header}0x03,0x4b,0x83,`);

    // Nothing selected: the whole melody; C3 cannot go an octave down and stays.
    await intoText(page);
    await keys(page, 'Alt+Shift+ArrowDown');
    await closeMessage('a message says a note stayed');
    await expectText(page, 'Alt+Shift+Down moves the whole melody an octave down',
        `${header}0x03,0x13,0x4b,`);
    await intoText(page);
    await keys(page, 'Control+z');
    await expectText(page, 'Ctrl+Z undoes the octave in one step', `${header}0x03,0x4b,0x83,`);
    await keys(page, 'Control+y');
    await expectText(page, 'Ctrl+Y redoes it', `${header}0x03,0x13,0x4b,`);

    await note(page, 4, 1, 7); // B6 0xdb
    await intoText(page);
    await keys(page, 'Alt+ArrowUp');
    await closeMessage('a message says B6 stayed');
    await expectText(page, 'B6 raised stays, the others move', `${header}0x0b,0x1b,0x53,0xdb,`);

    await menu(page, '降低一个音');
    await expectText(page, 'the menu entry lowers every note one natural',
        `${header}0x03,0x13,0x4b,0xd3,`);

    // The caret stays at the end, and once Alt is released the keys are the text's again.
    await intoText(page);
    await keys(page, 'Alt+ArrowUp');
    await type(page, 'q');
    await expectText(page, 'typing after Alt+Up goes on at the caret',
        `${header}0x0b,0x1b,0x53,0xdb,q`);
});
