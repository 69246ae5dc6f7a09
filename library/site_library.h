// The Circuit/Theater/Screen hierarchy in memory with its one shared current selection.
//
// The model knows nothing of disk or windows. Every operation is total: a call whose
// precondition does not hold (adding below a missing parent, moving or removing at a null
// cursor) does nothing, so a caller that then locates an entry again always gets a sound model.
#pragma once

#include <list>
#include <string>
#include <string_view>

// Identifies one entry's link in its parent's list: the address of the list element. It is
// never null for an entry, stays the same while the entry exists, and differs between any two
// entries present at the same time, across all three levels (each is a distinct object). After
// removal it identifies nothing and may be handed out again to a later entry.
using SitePos = const void*;

enum class SiteLevel : int { None = 0, Circuit = 1, Theater = 2, Screen = 3 };

struct TheaterEntry {
    std::string m_strName;
    std::list<std::string> m_screens;
};

struct CircuitEntry {
    std::string m_strName;
    std::list<TheaterEntry> m_theaters;
};

class SiteLibrary {
public:
    SiteLibrary() = default;
    SiteLibrary(const SiteLibrary&) = delete;
    SiteLibrary& operator=(const SiteLibrary&) = delete;
    ~SiteLibrary() = default;

    // Appends at the end of the parent's list and makes the new entry current at its level.
    // AddTheater needs a current circuit and AddScreen a current theater; without one they add
    // nothing and return a null handle.
    SitePos AddCircuit(std::string_view name);
    SitePos AddTheater(std::string_view name);
    SitePos AddScreen(std::string_view name);

    // Exact byte comparison. On success the found entry is current at its level; on failure the
    // cursor of that level is null and its entry is the last one of the list.
    bool FindCircuit(std::string_view name);
    bool FindTheater(std::string_view name);
    bool FindScreen(std::string_view name);

    // First/Next move one cursor only; the entry of that level follows only when the cursor
    // lands on an entry. Next on a null cursor does nothing.
    void FirstCircuit();
    void NextCircuit();
    bool HasCircuit() const { return m_circuitCursor.m_bValid; }
    void FirstTheater();
    void NextTheater();
    bool HasTheater() const { return m_theaterCursor.m_bValid; }
    void FirstScreen();
    void NextScreen();
    bool HasScreen() const { return m_screenCursor.m_bValid; }

    // Names of the current entries; an empty text when a level has no current entry.
    const std::string& GetCircuitName() const;
    const std::string& GetTheaterName() const;
    const std::string& GetScreenName() const;

    // Handles of the current cursors; null when a cursor is null.
    SitePos GetCircuitPos() const;
    SitePos GetTheaterPos() const;
    SitePos GetScreenPos() const;

    // Makes the entry with this handle and its ancestors current and returns its level, or
    // None when no entry has the handle.
    SiteLevel Locate(SitePos pos);
    // As Locate, but only screens match.
    bool LocateScreen(SitePos pos);

    // Unlink and destroy the entry at the cursor of that level (with everything below it).
    // Afterwards the selection at that level and below is empty until the next locate.
    void RemoveCurrentCircuit();
    void RemoveCurrentTheater();
    void RemoveCurrentScreen();
    // The one of the three for that level; None (or any other value) removes nothing.
    void RemoveCurrent(SiteLevel level);

private:
    // A cursor remembers the list it runs over, so that a removal can tell whether the cursor
    // really belongs to the current parent's list.
    template <typename List> struct Cursor {
        List* m_pList = nullptr;
        typename List::iterator m_it{};
        bool m_bValid = false;

        void Clear() {
            m_pList = nullptr;
            m_it = typename List::iterator{};
            m_bValid = false;
        }
        void Start(List& list) {
            m_pList = &list;
            m_it = list.begin();
            m_bValid = m_it != list.end();
        }
        void Advance() {
            if (!m_bValid)
                return;
            ++m_it;
            m_bValid = m_it != m_pList->end();
        }
        SitePos Pos() const { return m_bValid ? static_cast<SitePos>(&*m_it) : nullptr; }
    };

    using CircuitList = std::list<CircuitEntry>;
    using TheaterList = std::list<TheaterEntry>;
    using ScreenList = std::list<std::string>;

    void ClearTheaterLevel();
    void ClearScreenLevel();

    CircuitList m_circuits;
    Cursor<CircuitList> m_circuitCursor;
    Cursor<TheaterList> m_theaterCursor;
    Cursor<ScreenList> m_screenCursor;
    CircuitEntry* m_pCircuit = nullptr;
    TheaterEntry* m_pTheater = nullptr;
    std::string* m_pScreen = nullptr;
};
