// The form description of the main window Form1: its properties and its component tree.
#pragma once

#include "ui/widgets/FormDescription.h"

const TFormDescription& Form1Description();
