// The page's sound: one AudioContext, the player worklet fed from the core (WebAudioSink), and a
// tap on what reaches the destination for the tests. Loaded as a module before page.js; the core
// finds it as globalThis.quillonSound.

// How far ahead of the player the core renders, in seconds: a page busy for less than this
// never starves it, and a stop cuts it off at once whatever it holds.
const AHEAD_SECONDS = 0.5;
// A context that has not started this long after a play gives that play up.
const START_LIMIT_MS = 1500;
// A context still suspended this long after a play with no click or key yet is refused.
const GESTURE_LIMIT_MS = 250;
// The context is suspended once nothing has played for this long, as the desktop closes its
// stream: a running context keeps the audio thread busy. Resuming costs a few ms.
const IDLE_MS = 10000;
// How often the queue is topped up besides the player's own reports.
const PUMP_MS = 25;

// As the core's WebAudioSink reads them.
const STARTING = 0;
const RUNNING = 1;
const FAILED = 2;
const NO_WEB_AUDIO = 1;
const REFUSED = 2;
const NEVER_RAN = 3;
const WENT_AWAY = 4;

// Chromium's own words for a context made or resumed without a click or key.
const NO_GESTURE = 'The AudioContext was not allowed to start. ' +
    'It must be resumed (or created) after a user gesture on the page.';

class QuillonSound {
    constructor() {
        this.module = null;
        this.context = null;
        this.player = null;
        this.tap = null;
        this.ready = null;
        this.error = null;
        this.waiting = [];
        this.activated = false;
        this.current = null;
        this.pumpTimer = 0;
        this.tapDone = null;
        this.tapStartTime = 0;
        this.recording = false;
        this.idleTimer = 0;
        // Capturing on the window runs before any handler of the page's, so the context is
        // there when the click or key asks for sound.
        for (const type of ['pointerdown', 'keydown', 'touchend', 'mousedown']) {
            window.addEventListener(type, () => this.gesture(), { capture: true });
        }
    }

    attach(module) {
        this.module = module;
    }

    supported() {
        return typeof AudioContext === 'function' && typeof AudioWorkletNode === 'function';
    }

    // Whether the browser has seen a click or key that lets the page sound. Not every key
    // counts (Esc does not), so the browser's word is taken where it gives one.
    hasActivation() {
        return navigator.userActivation?.hasBeenActive ?? this.activated;
    }

    gesture() {
        this.activated = true;
        this.makeContext();
        if (this.context !== null && this.context.state === 'suspended') {
            // A refusal here is the play's to report, if one is asked for.
            this.context.resume().catch(() => {});
        }
        this.idle();
    }

    noteError(e) {
        this.error ??= String(e?.message ?? e);
    }

    makeContext() {
        if (this.context !== null || !this.supported()) {
            return this.context;
        }
        try {
            this.context = new AudioContext({ latencyHint: 'interactive' });
        } catch (e) {
            this.noteError(e);
            return null;
        }
        this.context.onstatechange = () => {
            const c = this.current;
            if (this.context.state === 'closed' && c !== null && c.failure === null) {
                c.failure = { kind: WENT_AWAY, detail: 'AudioContext closed' };
            }
        };
        const url = new URL('audio-worklet.js', import.meta.url);
        this.ready = this.context.audioWorklet.addModule(url).then(() => {
            const mono = { channelCount: 1, channelCountMode: 'explicit', outputChannelCount: [1] };
            this.player = new AudioWorkletNode(this.context, 'quillon-player',
                { ...mono, numberOfInputs: 0, numberOfOutputs: 1 });
            this.tap = new AudioWorkletNode(this.context, 'quillon-tap',
                { ...mono, numberOfInputs: 1, numberOfOutputs: 1 });
            this.player.connect(this.tap).connect(this.context.destination);
            this.player.port.onmessage = (event) => this.report(event.data);
            this.tap.port.onmessage = (event) => this.tapMessage(event.data);
            for (const [message, transfer] of this.waiting) {
                this.player.port.postMessage(message, transfer);
            }
            this.waiting = [];
        }).catch((e) => this.noteError(e));
        return this.context;
    }

    send(message, transfer = []) {
        if (this.player !== null) {
            this.player.port.postMessage(message, transfer);
        } else {
            this.waiting.push([message, transfer]);
        }
    }

    // The core connects as the page opens; a context made before any click or key would only
    // stay suspended, so it waits for one.
    connect() {
        if (this.hasActivation()) {
            this.gesture();
        }
    }

    // A new play: returns the rate its samples are to be made at, or 0 when it cannot sound
    // (failure() says why).
    begin(play, lookAgain) {
        const c = { play, posted: 0, played: 0, mark: 0, starved: false, ended: false,
            done: false, startedAt: performance.now(), failure: null };
        this.current = c;
        this.waiting = this.waiting.filter(([m]) => m.t !== 'data');
        if (!this.supported()) {
            c.failure = { kind: NO_WEB_AUDIO, detail: window.isSecureContext
                ? 'this browser has no AudioWorklet' : 'AudioWorklet needs a secure (https) page' };
            return 0;
        }
        if (this.error !== null && lookAgain) {
            // F5 tries a context that would not open, or a player that would not load, again.
            this.context?.close().catch(() => {});
            this.context = null;
            this.player = null;
            this.tap = null;
            this.error = null;
        }
        if (this.makeContext() === null || this.error !== null) {
            c.failure = { kind: REFUSED, detail: this.error ?? 'no AudioContext' };
            return 0;
        }
        if (this.context.state === 'closed') {
            c.failure = { kind: WENT_AWAY, detail: 'AudioContext closed' };
            return 0;
        }
        clearTimeout(this.idleTimer);
        if (this.context.state !== 'running') {
            this.context.resume().catch((e) => {
                if (this.current === c && c.failure === null) {
                    c.failure = { kind: REFUSED, detail: String(e?.message ?? e) };
                }
            });
        }
        this.send({ t: 'play', play });
        clearInterval(this.pumpTimer);
        this.pumpTimer = setInterval(() => this.pump(), PUMP_MS);
        return this.context.sampleRate;
    }

    // Samples of play `play` from the core (Int16 on the core's heap: copied at once).
    post(play, samples, ended) {
        const c = this.current;
        if (c === null || c.play !== play) {
            return;
        }
        const frames = new Float32Array(samples.length);
        for (let i = 0; i < samples.length; ++i) {
            frames[i] = samples[i] / 32768;
        }
        c.posted += frames.length;
        c.ended ||= ended;
        this.send({ t: 'data', play, samples: frames }, [frames.buffer]);
    }

    stop() {
        this.current = null;
        this.idle();
        clearInterval(this.pumpTimer);
        this.waiting = this.waiting.filter(([m]) => m.t !== 'data');
        this.send({ t: 'stop' });
    }

    pump() {
        const c = this.current;
        if (c === null || c.ended || c.failure !== null || this.module === null) {
            clearInterval(this.pumpTimer);
            return;
        }
        const want = Math.floor(AHEAD_SECONDS * this.context.sampleRate) - (c.posted - c.played);
        if (want >= 1024) {
            this.module._quillon_sound_pump(c.play, want);
        }
    }

    report(m) {
        const c = this.current;
        if (m.t !== 'at' || c === null || c.play !== m.play) {
            return;
        }
        c.played = m.played;
        c.mark = m.mark;
        c.starved = m.starved;
        if (c.ended && c.starved && c.played >= c.posted) {
            c.done = true;
            this.idle();
        } else {
            this.pump();
        }
    }

    idle() {
        clearTimeout(this.idleTimer);
        this.idleTimer = setTimeout(() => {
            const c = this.current;
            if ((c === null || c.done) && !this.recording && this.context?.state === 'running') {
                this.context.suspend().catch(() => {});
            }
        }, IDLE_MS);
    }

    // The output's delay in seconds: from the context to the system, and on to the listener.
    latency() {
        const ctx = this.context;
        return ctx === null ? 0 : (ctx.baseLatency || 0) + (ctx.outputLatency || 0);
    }

    state(play) {
        const c = this.current;
        const none = { code: STARTING, played: 0, mark: 0, starved: false, heardFrame: 0 };
        if (c === null || c.play !== play) {
            return none;
        }
        if (c.failure === null && this.error !== null) {
            c.failure = { kind: REFUSED, detail: this.error };
        }
        const waited = performance.now() - c.startedAt;
        if (c.failure === null && this.context.state !== 'running' && !this.hasActivation() &&
            waited > GESTURE_LIMIT_MS) {
            // Some browsers let a page sound before any click or key; most keep the context
            // suspended, and it would wait for ever.
            c.failure = { kind: REFUSED, detail: NO_GESTURE };
        }
        if (c.failure === null && (this.context.state !== 'running' || c.played === 0) &&
            waited > START_LIMIT_MS) {
            c.failure = this.context.state === 'running'
                ? { kind: NEVER_RAN, detail: 'the player took no samples' }
                : { kind: NEVER_RAN, detail: `AudioContext ${this.context.state}` };
        }
        if (c.failure !== null) {
            return { ...none, code: FAILED };
        }
        if (this.context.state !== 'running') {
            return none;
        }
        const rate = this.context.sampleRate;
        const heardFrame = Math.floor((this.context.currentTime - this.latency()) * rate);
        return { code: RUNNING, played: c.played, mark: c.mark, starved: c.starved, heardFrame };
    }

    failure(play) {
        const c = this.current;
        return c !== null && c.play === play && c.failure !== null
            ? c.failure : { kind: REFUSED, detail: '' };
    }

    // For the tests: records what reaches the destination from now until stopTap().
    async startTap() {
        this.recording = true;
        this.gesture();
        await this.ready;
        const started = await new Promise((resolve) => {
            this.tapDone = resolve;
            this.tap.port.postMessage({ t: 'start' });
        });
        // The context's time of the recording's first frame.
        this.tapStartTime = started.frame / this.context.sampleRate;
    }

    // Resolves to { rate, samples } (Float32, mono) of what was recorded.
    async stopTap() {
        this.recording = false;
        const recording = await new Promise((resolve) => {
            this.tapDone = resolve;
            this.tap.port.postMessage({ t: 'stop' });
        });
        const length = recording.blocks.reduce((n, b) => n + b.length, 0);
        const samples = new Float32Array(length);
        let at = 0;
        for (const block of recording.blocks) {
            samples.set(block, at);
            at += block.length;
        }
        return { rate: recording.rate, samples };
    }

    tapMessage(m) {
        const done = this.tapDone;
        this.tapDone = null;
        if (done !== null) {
            done(m);
        }
    }
}

globalThis.quillonSound = new QuillonSound();
