// The script binding in one include: class registration, objects, values, calls by name.
#pragma once

#include "CallByName.h"
#include "ClassTable.h"
#include "ControlClass.h"
#include "ErrorReport.h"
#include "Push.h"
#include "ReadArg.h"
#include "Register.h"
#include "Thunk.h"
#include "User.h"
