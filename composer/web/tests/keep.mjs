// Every melody is kept in the browser's storage: after a reload the page starts afresh, and the
// melody before it is among the recent melodies of the text's context menu. A browser that
// refuses the storage gets one message, and the page goes on.
import {
    header, scenario, check, expectText, note, intoText, keys, sleep, chooseFromSubmenu, ready,
    open, dialogOpen, text1,
} from './harness.mjs';

// Storage refused, as some private windows refuse it; every dialog the page opens is noted.
const refuseStorage = () => {
    IDBFactory.prototype.open = () => {
        throw new DOMException('The user denied permission to access the database.',
            'SecurityError');
    };
    window.shown = [];
    const showModal = HTMLDialogElement.prototype.showModal;
    HTMLDialogElement.prototype.showModal = function () {
        window.shown.push(this.id);
        return showModal.call(this);
    };
};

const melody = `${header}0x82,0x82,0x7b,`;

await scenario('keep', async ({ browser, page, server }) => {
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

    const refused = await browser.newContext();
    refused.setDefaultTimeout(10000);
    await refused.addInitScript(refuseStorage);
    const other = await open(refused, server.url);
    // Said when the page starts, or at the first change it cannot keep.
    let told = await dialogOpen(other, 'notice', 1500);
    if (!told) {
        await note(other, 3, 2, 3);
        told = await dialogOpen(other, 'notice', 1500);
    }
    if (check('storage refused: a message says melodies are not kept', told)) {
        await other.click('#notice-ok');
    }
    const before = await text1(other);
    await note(other, 3, 1, 2);
    await note(other, 3, 1, 2);
    await sleep(1000);
    const shown = await other.evaluate(() => window.shown);
    check('and only once', shown.length === 1, `dialogs shown: ${shown}`);
    await expectText(other, 'the page goes on', `${before}0x7b,0x7b,`);
    await refused.close();
});
