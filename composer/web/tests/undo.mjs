// Undo and redo with the keys Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z, after real clicks and typing.
// The count shows in where the automatic breaks fall: a break follows every 16th code only while
// undo and redo are not counted.
import {
    header, items, scenario, expectText, expectCount, note, rest, clearButton, intoText, type,
    keys,
} from './harness.mjs';

const times = async (n, action) => {
    for (let i = 0; i < n; i++) await action();
};

await scenario('undo', async ({ page }) => {
    await times(15, () => note(page, 1, 1, 1));
    await intoText(page);
    await keys(page, 'Control+z');
    await expectText(page, 'undo after 15 clicks: 14 items and no stray line break',
        header + items('0x03', 14));
    await expectCount(page, 'and the count with it', ' 14');
    await keys(page, 'Control+Shift+Z');
    await expectText(page, 'redo brings the 15th back', header + items('0x03', 15));
    await note(page, 1, 1, 1);
    await expectText(page, 'the 16th click still breaks the line', header + items('0x03', 16));
    await intoText(page);
    await times(16, () => keys(page, 'Control+z'));
    await expectText(page, '16 undos go back to the start-up text', header);
    await expectCount(page, 'the count of start-up', ' 0');
    await times(16, () => keys(page, 'Control+Shift+Z'));
    await expectText(page, '16 redos bring all 16 back', header + items('0x03', 16));
    await times(16, () => note(page, 1, 1, 1));
    await expectText(page, 'the rhythm goes on: a break after the 32nd',
        header + items('0x03', 32));

    await clearButton(page);
    await expectText(page, 'Clear', header);
    await intoText(page);
    await keys(page, 'Control+z');
    await expectText(page, 'undo of Clear brings the melody back', header + items('0x03', 32));
    await expectCount(page, 'with its count', ' 32');
    await times(16, () => note(page, 2, 1, 1));
    await expectText(page, 'and its rhythm: the next break after the 48th',
        header + items('0x03', 32) + items('0x3b', 16));

    await clearButton(page);
    await times(5, () => note(page, 1, 1, 1));
    await intoText(page);
    await keys(page, 'Control+z');
    await times(12, () => note(page, 1, 1, 1));
    await expectText(page, 'undoing a click lowers the count: 16 items to the first break',
        header + items('0x03', 16));

    await clearButton(page);
    await note(page, 1, 1, 1);
    await note(page, 2, 1, 1);
    await intoText(page);
    await type(page, 'ab');
    await keys(page, 'Control+z');
    await expectText(page, 'typing is undone alone, not with the click before it',
        `${header}0x03,0x3b,`);

    await clearButton(page);
    await note(page, 1, 1, 1);
    await note(page, 1, 1, 1);
    await intoText(page);
    await keys(page, 'Control+z', 'Control+y');
    await expectText(page, 'Ctrl+Y redoes', `${header}0x03,0x03,`);

    // The automatic break falls due on the "0" of "0x00" (the 17th change after Clear) and waits
    // until the text ends outside a literal.
    await clearButton(page);
    await intoText(page);
    await type(page, '0x53,0x63,0x1f,0x00};');
    await expectText(page, 'the automatic break never splits a literal being typed',
        `${header}0x53,0x63,0x1f,0x00}\n;`);
    await expectCount(page, 'every typed character counts', ' 21');

    await clearButton(page);
    await note(page, 1, 1, 1);
    await note(page, 2, 1, 1);
    await rest(page);
    await keys(page, 'Enter');
    await expectText(page, 'Enter presses the focused button', `${header}0x03,0x3b,0xf8,0xf8,`);
});
