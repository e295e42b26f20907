// Makes the page work with no network after the first visit. Whatever the server has is taken
// first, so that a new version shows at once; the copy kept here answers when the server cannot.
const CACHE = 'quillon';

self.addEventListener('install', (event) => {
    event.waitUntil((async () => {
        const cache = await caches.open(CACHE);
        const files = await (await fetch('precache.json', { cache: 'no-store' })).json();
        await cache.addAll(files);
        await self.skipWaiting();
    })());
});

self.addEventListener('activate', (event) => {
    event.waitUntil(self.clients.claim());
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
    event.respondWith((async () => {
        const cache = await caches.open(CACHE);
        try {
            const response = await fetch(request, { cache: 'no-cache' });
            if (response.ok) await cache.put(request, response.clone());
            return response;
        } catch (error) {
            const kept = await cache.match(request, { ignoreSearch: true });
            if (kept) return kept;
            throw error;
        }
    })());
});
