#include "twain/MsgLib.h"

#include <algorithm>
#include <map>

#include "twain/DsAssistor.h"

namespace {

// Filled by the handler constructors at library load and read-only afterwards. A function-local
// static so that it exists before the first handler registers, whatever the order of units.
std::map<TW_UINT16, CMsgLib*>& HandlerMap()
{
    static std::map<TW_UINT16, CMsgLib*> s_map;
    return s_map;
}

}  // namespace

CMsgLib::CMsgLib(TW_UINT16 wDat) : m_wDat(wDat)
{
    HandlerMap()[wDat] = this;
}

CMsgLib::~CMsgLib()
{
    auto& map = HandlerMap();
    auto it = map.find(m_wDat);
    if (it != map.end() && it->second == this)
        map.erase(it);
}

CMsgLib* FindMsgHandler(TW_UINT16 wDat)
{
    auto& map = HandlerMap();
    auto it = map.find(wDat);
    return it == map.end() ? nullptr : it->second;
}

TW_UINT16 CMsgLib::Refuse(TW_UINT16 wConditionCode)
{
    if (g_pDsAssistor)
        g_pDsAssistor->SetConditionCode(wConditionCode);
    return TWRC_FAILURE;
}

TW_UINT16 CMsgLib::CurrentState()
{
    return g_pDsAssistor ? g_pDsAssistor->GetState() : 300;
}

bool CMsgLib::StateIn(std::initializer_list<TW_UINT16> states)
{
    return std::ranges::find(states, CurrentState()) != states.end();
}
