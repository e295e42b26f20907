// Every melody is kept in the browser's storage: after a reload the page starts afresh, and the
// melody before it is among the recent melodies of the text's context menu.
import {
    header, scenario, expectText, note, intoText, keys, sleep, chooseFromSubmenu, ready,
} from './harness.mjs';

const melody = `${header}0x82,0x82,0x7b,`;

await scenario('keep', async ({ page }) => {
    await note(page, 3, 2, 3);
    await note(page, 3, 2, 3);
    await note(page, 3, 1, 2);
    // A change is kept within half a second.
    await sleep(1000);
    await page.reload();
    await ready(page);
    await expectText(page, 'after a reload the page starts with the header', header);

    await note(page, 1, 1, 1);
    await chooseFromSubmenu(page, '最近的旋律', 1);
    await expectText(page, 'the melody from before the reload is the recent one', melody);
    await intoText(page);
    await keys(page, 'Control+z');
    await expectText(page, 'undo after choosing a recent melody', `${header}0x03,`);
});
