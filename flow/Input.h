// The seven input wrappers: the only way game code reads the keyboard and the joystick.
#pragma once

bool inputZ();       // z or button 0 held: fire, slow down
bool inputZPushed(); // z or button 0 pushed: capture, start, confirm
bool inputXPushed(); // x or button 1 pushed: cut the end roll short
bool inputLeft();
bool inputUp();
bool inputRight();
bool inputDown();
