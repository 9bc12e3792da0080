#pragma once
// Everything of the platform layer.

#include "platform/AfxApp.h"
#include "platform/AfxCollections.h"
#include "platform/AfxCrt.h"
#include "platform/AfxDebug.h"
#include "platform/AfxKernel.h"
#include "platform/AfxMessages.h"
#include "platform/AfxModule.h"
#include "platform/AfxObject.h"
#include "platform/AfxString.h"
#include "platform/AfxTime.h"
#include "platform/AfxTypes.h"
#include "platform/AfxWindow.h"
#include "platform/AfxWinsock.h"
