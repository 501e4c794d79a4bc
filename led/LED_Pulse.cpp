#include "led/LED_Pulse.h"
