// A share link's round trip: "复制分享链接" puts the page's address with the melody in it on
// the clipboard; that address opened in a new page shows the same text, as a new melody.
import {
    header, scenario, check, expectText, note, extend, rest, lineBreak, endButton,
    intoText, type, menu, open, sleep, text1,
} from './harness.mjs';

await scenario(
    'share',
    async ({ context, page, server }) => {
        await note(page, 3, 1, 3);
        await extend(page);
        await rest(page);
        await lineBreak(page);
        await intoText(page);
        // Beyond ASCII and the characters an address holds as they are; few enough that no
        // automatic break falls among them.
        await type(page, '// 中 #&%?');
        await endButton(page);
        const melody = `${header}0x84,0xf8,\n// 中 #&%?0x00};\n`;
        await expectText(page, 'the melody to share', melody);

        await page.evaluate(() => navigator.clipboard.writeText(''));
        await menu(page, '复制分享链接');
        await sleep(300);
        const link = await page.evaluate(() => navigator.clipboard.readText());
        check('the link is the page\'s address with a fragment', link.startsWith(`${server.url}`) &&
            link.includes('#'), `copied ${JSON.stringify(link)}`);

        const shared = await open(context, link);
        await expectText(shared, 'the link opens the same text', melody);
        check('the page that shared is unchanged', (await text1(page)) === melody);
    },
    { permissions: ['clipboard-read', 'clipboard-write'] },
);
