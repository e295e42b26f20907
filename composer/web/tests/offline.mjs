// Offline: once the service worker has the page, a reload with the server gone brings the whole
// page back from it, and it works, kept melodies and all.
import {
    header, scenario, check, expectText, note, sleep, chooseFromSubmenu, ready,
} from './harness.mjs';

await scenario('offline', async ({ page, server }) => {
    // Installed means activated: its copy of the page is complete by then.
    const worker = await page.evaluate(() =>
        Promise.race([
            navigator.serviceWorker.ready.then(({ active }) =>
                active.state === 'activated'
                    ? active.state
                    : new Promise((resolve) =>
                          active.addEventListener('statechange', () => resolve(active.state)))),
            new Promise((resolve) => setTimeout(() => resolve('none within 20 s'), 20000)),
        ]),
    );
    check('the page installs its service worker', worker === 'activated', `worker: ${worker}`);
    // What the browser would say against offering to install the page: nothing of the page's
    // own (the test's profile is a private one, which no browser installs from).
    const cdp = await page.context().newCDPSession(page);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    const against = installabilityErrors.filter((error) => error.errorId !== 'in-incognito');
    check('the browser may install the page', against.length === 0, JSON.stringify(against));

    await note(page, 4, 1, 1);
    await note(page, 4, 1, 2);
    await sleep(1000);
    await server.stop();

    const failed = [];
    page.on('requestfailed', (request) => failed.push(request.url()));
    page.on('response', (response) => {
        if (!response.ok() && !response.fromServiceWorker()) failed.push(response.url());
    });
    await page.reload();
    await ready(page);
    check('every file of the page comes from the service worker', failed.length === 0,
        `failed: ${failed.join(' ')}`);
    await expectText(page, 'offline the page starts with the header', header);
    await note(page, 1, 1, 1);
    await expectText(page, 'and a click works', `${header}0x03,`);
    // Once every picture has loaded or failed: an empty one is a face the worker did not keep.
    await page.waitForFunction(() => [...document.querySelectorAll('#form1 img')].every((i) => i.complete));
    const faces = await page.evaluate(() =>
        [...document.querySelectorAll('#form1 img')].filter((i) => !i.naturalWidth).length,
    );
    check('every face is shown', faces === 0, `${faces} pictures missing`);
    await chooseFromSubmenu(page, '最近的旋律', 1);
    await expectText(page, 'the melody kept before is there offline', `${header}0xab,0xb3,`);
});
