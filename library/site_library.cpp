#include "library/site_library.h"

namespace {
const std::string kNoName;
} // namespace

SitePos SiteLibrary::AddCircuit(std::string_view name) {
    m_circuits.emplace_back().m_strName = name;
    m_circuitIndex.Added(std::prev(m_circuits.end()));
    m_circuitCursor.m_pList = &m_circuits;
    m_circuitCursor.m_it = std::prev(m_circuits.end());
    m_circuitCursor.m_bValid = true;
    m_pCircuit = &*m_circuitCursor.m_it;
    return m_circuitCursor.Pos();
}

SitePos SiteLibrary::AddTheater(std::string_view name) {
    if (m_pCircuit == nullptr)
        return nullptr;
    TheaterList& list = m_pCircuit->m_theaters;
    list.emplace_back().m_strName = name;
    m_pCircuit->m_theaterIndex.Added(std::prev(list.end()));
    m_theaterCursor.m_pList = &list;
    m_theaterCursor.m_it = std::prev(list.end());
    m_theaterCursor.m_bValid = true;
    m_pTheater = &*m_theaterCursor.m_it;
    return m_theaterCursor.Pos();
}

SitePos SiteLibrary::AddScreen(std::string_view name) {
    if (m_pTheater == nullptr)
        return nullptr;
    ScreenList& list = m_pTheater->m_screens;
    list.emplace_back(name);
    m_pTheater->m_screenIndex.Added(std::prev(list.end()));
    m_screenCursor.m_pList = &list;
    m_screenCursor.m_it = std::prev(list.end());
    m_screenCursor.m_bValid = true;
    m_pScreen = &*m_screenCursor.m_it;
    return m_screenCursor.Pos();
}

void SiteLibrary::FirstCircuit() {
    m_circuitCursor.Start(m_circuits);
    if (m_circuitCursor.m_bValid)
        m_pCircuit = &*m_circuitCursor.m_it;
}

void SiteLibrary::NextCircuit() {
    m_circuitCursor.Advance();
    if (m_circuitCursor.m_bValid)
        m_pCircuit = &*m_circuitCursor.m_it;
}

void SiteLibrary::FirstTheater() {
    if (m_pCircuit == nullptr) {
        m_theaterCursor.Clear();
        return;
    }
    m_theaterCursor.Start(m_pCircuit->m_theaters);
    if (m_theaterCursor.m_bValid)
        m_pTheater = &*m_theaterCursor.m_it;
}

void SiteLibrary::NextTheater() {
    m_theaterCursor.Advance();
    if (m_theaterCursor.m_bValid)
        m_pTheater = &*m_theaterCursor.m_it;
}

void SiteLibrary::FirstScreen() {
    if (m_pTheater == nullptr) {
        m_screenCursor.Clear();
        return;
    }
    m_screenCursor.Start(m_pTheater->m_screens);
    if (m_screenCursor.m_bValid)
        m_pScreen = &*m_screenCursor.m_it;
}

void SiteLibrary::NextScreen() {
    m_screenCursor.Advance();
    if (m_screenCursor.m_bValid)
        m_pScreen = &*m_screenCursor.m_it;
}

template <typename List, typename Entry>
bool SiteLibrary::SettleLookup(Cursor<List>& cursor, List& list,
                               const std::optional<typename List::iterator>& found,
                               Entry*& pCurrent) {
    cursor.m_pList = &list;
    if (found) {
        cursor.m_it = *found;
        cursor.m_bValid = true;
        pCurrent = &**found;
        return true;
    }
    cursor.m_it = list.end();
    cursor.m_bValid = false;
    if (!list.empty())
        pCurrent = &list.back();
    return false;
}

bool SiteLibrary::FindCircuit(std::string_view name) {
    return SettleLookup(m_circuitCursor, m_circuits, m_circuitIndex.Find(name), m_pCircuit);
}

bool SiteLibrary::FindTheater(std::string_view name) {
    if (m_pCircuit == nullptr) {
        m_theaterCursor.Clear();
        return false;
    }
    return SettleLookup(m_theaterCursor, m_pCircuit->m_theaters,
                        m_pCircuit->m_theaterIndex.Find(name), m_pTheater);
}

bool SiteLibrary::FindScreen(std::string_view name) {
    if (m_pTheater == nullptr) {
        m_screenCursor.Clear();
        return false;
    }
    return SettleLookup(m_screenCursor, m_pTheater->m_screens, m_pTheater->m_screenIndex.Find(name),
                        m_pScreen);
}

const std::string& SiteLibrary::GetCircuitName() const {
    return m_pCircuit != nullptr ? m_pCircuit->m_strName : kNoName;
}

const std::string& SiteLibrary::GetTheaterName() const {
    return m_pTheater != nullptr ? m_pTheater->m_strName : kNoName;
}

const std::string& SiteLibrary::GetScreenName() const {
    return m_pScreen != nullptr ? *m_pScreen : kNoName;
}

SitePos SiteLibrary::GetCircuitPos() const {
    return m_circuitCursor.Pos();
}
SitePos SiteLibrary::GetTheaterPos() const {
    return m_theaterCursor.Pos();
}
SitePos SiteLibrary::GetScreenPos() const {
    return m_screenCursor.Pos();
}

SiteSelection SiteLibrary::CurrentSelection(SiteLevel level) const {
    switch (level) {
    case SiteLevel::Circuit:
        return {level, GetCircuitName(), {}, {}};
    case SiteLevel::Theater:
        return {level, GetCircuitName(), GetTheaterName(), {}};
    case SiteLevel::Screen:
        return {level, GetCircuitName(), GetTheaterName(), GetScreenName()};
    case SiteLevel::None:
        break;
    }
    return {};
}

SiteSelection SiteLibrary::SelectionOf(SitePos pos) const {
    // The same walk as Locate's, over the lists themselves.
    for (const CircuitEntry& circuit : m_circuits) {
        if (static_cast<SitePos>(&circuit) == pos)
            return {SiteLevel::Circuit, circuit.m_strName, {}, {}};
        for (const TheaterEntry& theater : circuit.m_theaters) {
            if (static_cast<SitePos>(&theater) == pos)
                return {SiteLevel::Theater, circuit.m_strName, theater.m_strName, {}};
            for (const std::string& screen : theater.m_screens) {
                if (static_cast<SitePos>(&screen) == pos)
                    return {SiteLevel::Screen, circuit.m_strName, theater.m_strName, screen};
            }
        }
    }
    return {};
}

void SiteLibrary::ForEachEntry(
    SiteLevel deepest, const std::function<void(const SiteSelection&, SitePos)>& visit) const {
    if (deepest == SiteLevel::None)
        return;
    for (const CircuitEntry& circuit : m_circuits) {
        visit({SiteLevel::Circuit, circuit.m_strName, {}, {}}, &circuit);
        if (deepest == SiteLevel::Circuit)
            continue;
        for (const TheaterEntry& theater : circuit.m_theaters) {
            visit({SiteLevel::Theater, circuit.m_strName, theater.m_strName, {}}, &theater);
            if (deepest == SiteLevel::Theater)
                continue;
            for (const std::string& screen : theater.m_screens)
                visit({SiteLevel::Screen, circuit.m_strName, theater.m_strName, screen}, &screen);
        }
    }
}

SiteLevel SiteLibrary::Locate(SitePos pos) {
    // Each entry is tested when the walk reaches it, before its children.
    for (FirstCircuit(); HasCircuit(); NextCircuit()) {
        if (GetCircuitPos() == pos)
            return SiteLevel::Circuit;
        for (FirstTheater(); HasTheater(); NextTheater()) {
            if (GetTheaterPos() == pos)
                return SiteLevel::Theater;
            for (FirstScreen(); HasScreen(); NextScreen()) {
                if (GetScreenPos() == pos)
                    return SiteLevel::Screen;
            }
        }
    }
    return SiteLevel::None;
}

bool SiteLibrary::LocateScreen(SitePos pos) {
    for (FirstCircuit(); HasCircuit(); NextCircuit()) {
        for (FirstTheater(); HasTheater(); NextTheater()) {
            for (FirstScreen(); HasScreen(); NextScreen()) {
                if (GetScreenPos() == pos)
                    return true;
            }
        }
    }
    return false;
}

void SiteLibrary::ClearScreenLevel() {
    m_screenCursor.Clear();
    m_pScreen = nullptr;
}

void SiteLibrary::ClearTheaterLevel() {
    m_theaterCursor.Clear();
    m_pTheater = nullptr;
    ClearScreenLevel();
}

void SiteLibrary::RemoveCurrentScreen() {
    // The screen cursor may still run over another theater's list (it is left alone when a
    // theater is added); then it is not the current theater's screen and nothing is removed.
    if (!m_screenCursor.m_bValid || m_pTheater == nullptr ||
        m_screenCursor.m_pList != &m_pTheater->m_screens)
        return;
    m_pTheater->m_screenIndex.Removing(m_pTheater->m_screens, m_screenCursor.m_it);
    m_pTheater->m_screens.erase(m_screenCursor.m_it);
    ClearScreenLevel();
}

void SiteLibrary::RemoveCurrentTheater() {
    if (!m_theaterCursor.m_bValid || m_pCircuit == nullptr ||
        m_theaterCursor.m_pList != &m_pCircuit->m_theaters)
        return;
    m_pCircuit->m_theaterIndex.Removing(m_pCircuit->m_theaters, m_theaterCursor.m_it);
    m_pCircuit->m_theaters.erase(m_theaterCursor.m_it);
    ClearTheaterLevel();
}

void SiteLibrary::RemoveCurrentCircuit() {
    if (!m_circuitCursor.m_bValid)
        return;
    m_circuitIndex.Removing(m_circuits, m_circuitCursor.m_it);
    m_circuits.erase(m_circuitCursor.m_it);
    m_circuitCursor.Clear();
    m_pCircuit = nullptr;
    ClearTheaterLevel();
}

void SiteLibrary::RemoveCurrent(SiteLevel level) {
    if (level == SiteLevel::Circuit)
        RemoveCurrentCircuit();
    else if (level == SiteLevel::Theater)
        RemoveCurrentTheater();
    else if (level == SiteLevel::Screen)
        RemoveCurrentScreen();
}
