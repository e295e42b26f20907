/* Quillon melody player on Timer1 alone. Timer1 runs in CTC mode with OCR1A as its top and
 * toggles OC1A in hardware at the note's pitch, so no interrupt latency reaches the pitch. Its
 * compare interrupt also keeps the time: every element is a phase of a known number of timer
 * ticks (a note's sound, its 20 ms gap, a silent element), counted down by the length of each
 * step, and the last step of a phase is cut to the ticks that remain and clears the pin. Phases
 * thus end on exact tick counts from the start, and no error adds up over a melody. Silent
 * phases keep the timer running with the pin held low, in steps of a few milliseconds.
 *
 * A music code is note index * 8 + duration code. Index 0..27 sounds for its length less 20 ms,
 * then 20 ms of silence; 28..31 (31 is the rest) are silent for the whole length. Element 0 ends
 * the melody. */
#include "quillon_player.h"

#include "quillon_convention.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>

#if defined(__AVR_ATmega48__) || defined(__AVR_ATmega48A__) || defined(__AVR_ATmega48P__) ||       \
    defined(__AVR_ATmega48PA__) || defined(__AVR_ATmega88__) || defined(__AVR_ATmega88A__) ||      \
    defined(__AVR_ATmega88P__) || defined(__AVR_ATmega88PA__) || defined(__AVR_ATmega168__) ||     \
    defined(__AVR_ATmega168A__) || defined(__AVR_ATmega168P__) || defined(__AVR_ATmega168PA__) ||  \
    defined(__AVR_ATmega328__) || defined(__AVR_ATmega328P__)
#define SPEAKER_BIT 1 /* OC1A: PB1, Arduino pin 9 */
#elif defined(__AVR_ATmega1280__) || defined(__AVR_ATmega2560__)
#define SPEAKER_BIT 5 /* OC1A: PB5, Arduino Mega pin 11 */
#elif defined(__AVR_ATmega16U4__) || defined(__AVR_ATmega32U4__)
#define SPEAKER_BIT 5 /* OC1A: PB5, Arduino Leonardo pin 9 */
#else
#error                                                                                             \
    "quillon_player supports only the ATmega48, 88, 168 and 328 and their A, P, PA variants, the ATmega1280 and 2560, and the ATmega16U4 and 32U4"
#endif

#if !defined(F_CPU)
#error "quillon_player needs F_CPU: 1000000, 8000000, 12000000, 16000000 or 20000000"
#endif

/* Per clock: the prescaler, timer ticks per microsecond (a half period of N us is N times that,
 * exact, and fits the 16-bit compare register) and per millisecond, the step of a silent phase
 * (at most 65536 ticks), and the shortest last step of a phase, 0.5 ms: longer than other
 * interrupts (or code with interrupts off) usually hold the compare interrupt up, so that OCR1A
 * is rewritten before the count passes it, and short beside the 2 ms a note's end may be off. */
#if F_CPU == 1000000UL
#define CS_FAST _BV(CS10) /* /1 */
#define TICKS_PER_US 1u
#define TICKS_PER_MS 1000ul
#define QUIET_STEP 10000u /* 10 ms */
#define MIN_STEP 500u
#elif F_CPU == 8000000UL
#define CS_FAST _BV(CS11) /* /8 */
#define TICKS_PER_US 1u
#define TICKS_PER_MS 1000ul
#define QUIET_STEP 10000u
#define MIN_STEP 500u
#elif F_CPU == 12000000UL
#define CS_FAST _BV(CS10) /* /1; at /8 an odd N would fall on half a count */
#define TICKS_PER_US 12u
#define TICKS_PER_MS 12000ul
#define QUIET_STEP 60000u /* 5 ms */
#define MIN_STEP 6000u
#elif F_CPU == 16000000UL
#define CS_FAST _BV(CS11) /* /8 */
#define TICKS_PER_US 2u
#define TICKS_PER_MS 2000ul
#define QUIET_STEP 20000u
#define MIN_STEP 1000u
#elif F_CPU == 20000000UL
/* 20 counts a microsecond overflow 16 bits above N = 3276 (C3 and D3): those two sound at /8,
 * 2.5 counts a microsecond, where D3's odd N is rounded by half a count (0.006 %). */
#define CS_FAST _BV(CS10)
#define CS_SLOW _BV(CS11)
#define TICKS_PER_US 20u
#define TICKS_PER_MS 20000ul
#define SLOW_N_ABOVE 3276u
#define QUIET_STEP 50000u /* 2.5 ms */
#define MIN_STEP 10000u
#define MIN_STEP_SLOW 1250u
#else
#error "quillon_player: unsupported F_CPU; use 1000000, 8000000, 12000000, 16000000 or 20000000"
#endif

#define MODE_TOGGLE _BV(COM1A0)
#define MODE_CLEAR _BV(COM1A1)

/* Half a period of each note in microseconds, rounded down. */
#define HALF_PERIOD_US(hz) (uint16_t)(500000ul / (hz))
static const uint16_t halfPeriodUs[QUILLON_NOTE_COUNT] PROGMEM = {QUILLON_NOTES_HZ(HALF_PERIOD_US)};
/* The length of each duration code in timer ticks. */
#define IN_TICKS(ms) ((ms)*TICKS_PER_MS)
static const uint32_t lengthTicks[8] PROGMEM = {QUILLON_DURATIONS_MS(IN_TICKS)};
#define GAP_TICKS IN_TICKS(QUILLON_GAP_MS)

/* Written by the main program only while Timer1 is stopped, so no locking is needed. */
static const unsigned char* next;
static uint8_t fromFlash;
static volatile uint8_t playing;
static uint32_t left;    /* ticks from the last compare to the end of the phase */
static uint16_t step;    /* ticks of a whole step of this phase */
static uint8_t lastStep; /* the step running now ends the phase */
static uint8_t gapNext;  /* the phase running now is a note's sound */
#if defined(CS_SLOW)
static uint8_t clockSelect = CS_FAST;
#endif

static void startQuiet(uint32_t ticks) {
    step = QUIET_STEP;
    left = ticks;
    OCR1A = QUIET_STEP - 1u;
    TCCR1A = MODE_CLEAR; /* the pin is low already: it stays low */
#if defined(CS_SLOW)
    clockSelect = CS_FAST;
#endif
}

/* Sets up the phase that starts at this compare; 0 at the end of the melody. The first step of
 * every phase is a whole one: the shortest phase, 20 ms, is longer than any step and MIN_STEP. */
static uint8_t startPhase(void) {
    if (gapNext) {
        gapNext = 0;
        startQuiet(GAP_TICKS);
        return 1;
    }
    const uint8_t code = fromFlash ? pgm_read_byte(next) : *next;
    if (code == 0) {
        return 0;
    }
    ++next;
    const uint8_t index = code >> 3;
    const uint32_t length = pgm_read_dword(&lengthTicks[code & 7u]);
    if (index >= QUILLON_NOTE_COUNT) {
        startQuiet(length);
        return 1;
    }
    const uint16_t n = pgm_read_word(&halfPeriodUs[index]);
#if defined(CS_SLOW)
    if (n > SLOW_N_ABOVE) {
        step = (uint16_t)((n * 5ul + 1u) / 2u);
        left = (length - GAP_TICKS) / 8u;
        clockSelect = CS_SLOW;
    } else
#endif
    {
        step = (uint16_t)(n * TICKS_PER_US);
        left = length - GAP_TICKS;
#if defined(CS_SLOW)
        clockSelect = CS_FAST;
#endif
    }
    OCR1A = step - 1u;
    TCCR1A = MODE_TOGGLE; /* the pin is low: its first edge, up, comes half a period from now */
    gapNext = 1;
    return 1;
}

static void silence(void) {
    TCCR1B = 0;
    TCCR1A = 0;         /* OC1A off the pin, which falls back to its PORTB bit: low */
    TIFR1 = _BV(OCF1A); /* a compare already due would sound again */
    /* Where the output latch is the PORTB bit (as in simavr), this lets the pin down too. */
    PORTB &= (uint8_t)~_BV(SPEAKER_BIT);
}

ISR(TIMER1_COMPA_vect) {
    if (lastStep) {
        lastStep = 0;
        /* The compare has just cleared the pin. Where the output latch is the PORTB bit (as in
         * simavr, whose clearing compare leaves that bit alone) the next write to PORTB would
         * raise the pin again; on the chip the bit is low already. */
        PORTB &= (uint8_t)~_BV(SPEAKER_BIT);
#if defined(CS_SLOW)
        const uint8_t was = clockSelect;
#endif
        if (!startPhase()) {
            silence();
            playing = 0;
            return;
        }
#if defined(CS_SLOW)
        if (clockSelect != was) {
            /* Carry the few ticks counted since the compare over to the new prescaler. */
            const uint16_t counted = TCNT1;
            TCCR1B = _BV(WGM12) | clockSelect;
            TCNT1 = clockSelect == CS_SLOW ? counted / 8u : (uint16_t)(counted * 8u);
        }
#endif
        return;
    }
    const uint32_t after = left - step;
#if defined(CS_SLOW)
    const uint16_t minStep = clockSelect == CS_SLOW ? MIN_STEP_SLOW : MIN_STEP;
#else
    const uint16_t minStep = MIN_STEP;
#endif
    if (after < (uint32_t)step + minStep) {
        OCR1A = (uint16_t)(after - 1u);
        TCCR1A = MODE_CLEAR; /* the phase ends low, exactly on its tick */
        lastStep = 1;
    }
    left = after;
}

void quillon_init(void) {
#if defined(PRR)
    PRR &= (uint8_t)~_BV(PRTIM1);
#elif defined(PRR0)
    PRR0 &= (uint8_t)~_BV(PRTIM1);
#endif
    /* An Arduino core sets Timer1 up for analogWrite: the player owns all of it. */
    TIMSK1 = 0;
    silence();
    DDRB |= _BV(SPEAKER_BIT);
    TIMSK1 = _BV(OCIE1A);
    playing = 0;
}

static void play(const unsigned char* melody, uint8_t inFlash) {
    quillon_stop();
    next = melody;
    fromFlash = inFlash;
    gapNext = 0;
    lastStep = 0;
    TCNT1 = 0;
    if (!startPhase()) {
        TCCR1A = 0;
        return;
    }
    playing = 1;
#if defined(CS_SLOW)
    TCCR1B = _BV(WGM12) | clockSelect;
#else
    TCCR1B = _BV(WGM12) | CS_FAST;
#endif
}

void quillon_play(const unsigned char* melody) {
    play(melody, 0);
}

void quillon_play_P(const unsigned char* melody) {
    play(melody, 1);
}

void quillon_stop(void) {
    /* At one go: a compare interrupt between stopping the timer and clearing its flag could
     * start the next phase and, at 20 MHz, the timer again. */
    const uint8_t interrupts = SREG;
    cli();
    silence();
    playing = 0;
    SREG = interrupts;
}

unsigned char quillon_busy(void) {
    return playing;
}
