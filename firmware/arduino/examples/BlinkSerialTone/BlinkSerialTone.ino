// The melody plays in the background while loop() blinks the LED and echoes what arrives on
// Serial; when it has ended, tone() sounds on pin 4 (the player leaves Timer2 and tone() alone).
#include <Quillon.h>

const unsigned char music_item[] = {
0x73,0x73,0x93,0x93,0x9b,0x9b,0x94,0x8b,0x8b,0x83,0x83,0x7b,0x7b,0x74,0x00};

const int tonePin = 4;
unsigned long lastBlink = 0;
bool toneDone = false;

void setup() {
  pinMode(LED_BUILTIN, OUTPUT);
  Serial.begin(9600);
  quillon_init();
  quillon_play(music_item);
}

void loop() {
  if (millis() - lastBlink >= 250) {
    lastBlink = millis();
    digitalWrite(LED_BUILTIN, !digitalRead(LED_BUILTIN));
  }
  while (Serial.available() > 0) {
    Serial.write(Serial.read());
  }
  if (!quillon_busy() && !toneDone) {
    toneDone = true;
    tone(tonePin, 880, 500);
  }
}
