// The composer's text pasted as it is: the array stays in RAM, and quillon_play() reads it
// there. The buzzer goes between pin 9 (pin 11 on a Mega) and GND.
#include <Quillon.h>

const unsigned char music_item[] = {
0x73,0x73,0x93,0x93,0x9b,0x9b,0x94,0x8b,0x8b,0x83,0x83,0x7b,0x7b,0x74,0x00};

void setup() {
  quillon_init();
  quillon_play(music_item);
}

void loop() {
  // The melody plays in the background; play it again two seconds after it ends.
  if (!quillon_busy()) {
    delay(2000);
    quillon_play(music_item);
  }
}
