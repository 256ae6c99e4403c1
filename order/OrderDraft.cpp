#include "order/OrderDraft.h"
