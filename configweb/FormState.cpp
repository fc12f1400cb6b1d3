#include "FormState.h"

FormState::~FormState() = default;
