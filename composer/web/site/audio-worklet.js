// The page's player and tap, on the audio rendering thread. The core runs on the page's thread
// and sends the player its samples ahead of time; the player only plays what it holds.

// How often the player tells the page how far it has got, in frames.
const REPORT_EVERY = 1024;

class QuillonPlayer extends AudioWorkletProcessor {
    constructor() {
        super();
        this.play = 0;
        this.queue = [];
        this.offset = 0;
        this.played = 0;
        this.mark = 0;
        this.sinceReport = 0;
        this.dry = false;
        this.port.onmessage = (event) => this.message(event.data);
    }

    message(m) {
        if (m.t === 'play' || m.t === 'stop') {
            // Cut off at once: what was queued for the last play is never heard.
            this.play = m.t === 'play' ? m.play : 0;
            this.queue = [];
            this.offset = 0;
            this.played = 0;
            this.mark = 0;
            this.sinceReport = 0;
            this.dry = false;
        } else if (m.t === 'data' && m.play === this.play && m.samples.length > 0) {
            this.queue.push(m.samples);
        }
    }

    process(inputs, outputs) {
        const out = outputs[0][0];
        let filled = 0;
        while (filled < out.length && this.queue.length > 0) {
            const head = this.queue[0];
            const n = Math.min(out.length - filled, head.length - this.offset);
            out.set(head.subarray(this.offset, this.offset + n), filled);
            filled += n;
            this.offset += n;
            if (this.offset === head.length) {
                this.queue.shift();
                this.offset = 0;
            }
        }
        out.fill(0, filled);
        if (this.play === 0) {
            return true;
        }
        const first = this.played === 0 && filled > 0;
        if (filled > 0) {
            this.played += filled;
            this.mark = currentFrame + filled;
            this.sinceReport += filled;
        }
        // Running dry (the end, or a page too busy to feed it) is told at once, since the page
        // takes the player to go on between reports.
        const dry = this.played > 0 && filled < out.length;
        if (first || this.sinceReport >= REPORT_EVERY || (dry && !this.dry)) {
            this.port.postMessage({
                t: 'at', play: this.play, played: this.played, mark: this.mark, starved: dry,
            });
            this.sinceReport = 0;
        }
        this.dry = dry;
        return true;
    }
}

// Passes its input on to the destination and, while asked, keeps a copy of it: what the
// listener is given, for the tests.
class QuillonTap extends AudioWorkletProcessor {
    constructor() {
        super();
        this.blocks = null;
        this.block = null;
        this.used = 0;
        this.port.onmessage = (event) => this.message(event.data);
    }

    message(m) {
        if (m.t === 'start') {
            this.blocks = [];
            this.block = new Float32Array(sampleRate);
            this.used = 0;
            this.port.postMessage({ t: 'started', frame: currentFrame });
        } else if (m.t === 'stop' && this.blocks !== null) {
            this.blocks.push(this.block.slice(0, this.used));
            this.port.postMessage({ t: 'recording', blocks: this.blocks, rate: sampleRate });
            this.blocks = null;
            this.block = null;
        }
    }

    process(inputs, outputs) {
        const input = inputs[0];
        const out = outputs[0];
        for (let c = 0; c < out.length; ++c) {
            if (input.length > 0) {
                out[c].set(input[Math.min(c, input.length - 1)]);
            } else {
                out[c].fill(0);
            }
        }
        if (this.blocks !== null) {
            const frames = out[0];
            let from = 0;
            while (from < frames.length) {
                const n = Math.min(frames.length - from, this.block.length - this.used);
                this.block.set(frames.subarray(from, from + n), this.used);
                this.used += n;
                from += n;
                if (this.used === this.block.length) {
                    this.blocks.push(this.block);
                    this.block = new Float32Array(sampleRate);
                    this.used = 0;
                }
            }
        }
        return true;
    }
}

registerProcessor('quillon-player', QuillonPlayer);
registerProcessor('quillon-tap', QuillonTap);
