// For the simulator: tone() sounds 1000 Hz on pin 4 throughout while the player plays
// music_item from RAM and then flash_item from flash; pin 7 rises when both have ended.
// The speaker is Timer1's output A: pin 9 (pin 11 on a Mega).
#include <Quillon.h>

// Low and high notes, a rest, an index without a pitch, each duration from 100 to 400 ms.
const unsigned char music_item[] = {
0x01,0x0a,0xd9,0xfa,0x62,0x9b,0xe1,0x3a,0x00};

const unsigned char flash_item[] PROGMEM = {
0x11,0xc2,0xf9,0x52,0x8a,0x00};

void setup() {
  pinMode(7, OUTPUT);
  digitalWrite(7, LOW);
  tone(4, 1000);
  quillon_init();
  quillon_play(music_item);
  while (quillon_busy()) {
  }
  delay(50);
  quillon_play_P(flash_item);
  while (quillon_busy()) {
  }
  delay(50);
  noTone(4);
  digitalWrite(7, HIGH);
}

void loop() {
}
