// Registers the button classes of the image-button library (image buttons, shape buttons,
// button groups) for stored layouts; called by RegisterImageButtonClasses.
#pragma once

void RegisterImageButtonButtons();
