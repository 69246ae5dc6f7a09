// The Circuit/Theater/Screen hierarchy in memory with its one shared current selection.
//
// The model knows nothing of disk or windows. Every operation is total: a call whose
// precondition does not hold (adding below a missing parent, moving or removing at a null
// cursor) does nothing, so a caller that then locates an entry again always gets a sound model.
#pragma once

#include <cstddef>
#include <functional>
#include <iterator>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// Identifies one entry's link in its parent's list: the address of the list element. It is
// never null for an entry, stays the same while the entry exists, and differs between any two
// entries present at the same time, across all three levels (each is a distinct object). After
// removal it identifies nothing and may be handed out again to a later entry.
using SitePos = const void*;

enum class SiteLevel { None = 0, Circuit = 1, Theater = 2, Screen = 3 };

// An entry of the library resolved into a value: its level and the names from its circuit down
// to it; the names below its level are empty. A command resolves the entry it acts on when it
// starts and hands this value to the storage, so what it touches never depends on where the
// library's cursor stands by then.
struct SiteSelection {
    SiteLevel m_nLevel = SiteLevel::None;
    std::string m_strCircuit;
    std::string m_strTheater;
    std::string m_strScreen;
};

// The name an entry of a list goes by: a screen is its name.
inline const std::string& SiteEntryName(const std::string& screen) {
    return screen;
}

// Finds the first entry of a name in one list without walking it. It maps each name present to
// the first entry of that name in list order and to how many entries bear it, so that a lookup
// gives the same entry as a walk from the head, duplicates included. The keys view the entries'
// own names, which never change while the entry exists. Kept in step by the model's Add and
// Remove operations, the only ones that change a list.
template <typename List> class SiteNameIndex {
public:
    using Iterator = typename List::iterator;

    std::optional<Iterator> Find(std::string_view name) const {
        const auto slot = m_slots.find(name);
        if (slot == m_slots.end())
            return std::nullopt;
        return slot->second.m_first;
    }

    // it has just been appended to the end of the list.
    void Added(Iterator it) {
        const auto [slot, bInserted] = m_slots.try_emplace(SiteEntryName(*it), Slot{it, 1});
        if (!bInserted)
            ++slot->second.m_nCount;
    }

    // it is about to be erased from list.
    void Removing(List& list, Iterator it) {
        const auto slot = m_slots.find(SiteEntryName(*it));
        if (slot == m_slots.end())
            return;
        if (slot->second.m_first != it) {
            --slot->second.m_nCount;
            return;
        }
        const std::size_t nLeft = slot->second.m_nCount - 1;
        m_slots.erase(slot);
        if (nLeft == 0)
            return;
        // The next entry of that name becomes the first; its name is the key from now on.
        for (Iterator next = std::next(it); next != list.end(); ++next) {
            if (SiteEntryName(*next) == SiteEntryName(*it)) {
                m_slots.emplace(SiteEntryName(*next), Slot{next, nLeft});
                return;
            }
        }
    }

private:
    struct Slot {
        Iterator m_first;
        std::size_t m_nCount;
    };
    std::unordered_map<std::string_view, Slot> m_slots;
};

struct TheaterEntry {
    std::string m_strName;
    std::list<std::string> m_screens;
    SiteNameIndex<std::list<std::string>> m_screenIndex;
};

inline const std::string& SiteEntryName(const TheaterEntry& theater) {
    return theater.m_strName;
}

struct CircuitEntry {
    std::string m_strName;
    std::list<TheaterEntry> m_theaters;
    SiteNameIndex<std::list<TheaterEntry>> m_theaterIndex;
};

inline const std::string& SiteEntryName(const CircuitEntry& circuit) {
    return circuit.m_strName;
}

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

    // Exact byte comparison; the first entry of that name in list order is found. On success the
    // found entry is current at its level; on failure the cursor of that level is null and its
    // entry is the last one of the list, as after a walk to the end. Each takes about constant
    // time whatever the length of the list.
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

    // The current entries down to that level as a value; level None gives an empty selection.
    SiteSelection CurrentSelection(SiteLevel level) const;
    // The entry with this handle resolved into a value, without moving any cursor; level None
    // when no entry has the handle.
    SiteSelection SelectionOf(SitePos pos) const;
    // Each entry down to the level deepest as a value with its handle, in library order (a
    // circuit, then each of its theaters followed by its screens), without moving any cursor.
    void ForEachEntry(SiteLevel deepest,
                      const std::function<void(const SiteSelection&, SitePos)>& visit) const;

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

    // Sets the cursor and the current entry of one level from a lookup in list: on the entry
    // found, or, when none was, null with the last entry of the list current.
    template <typename List, typename Entry>
    static bool SettleLookup(Cursor<List>& cursor, List& list,
                             const std::optional<typename List::iterator>& found, Entry*& pCurrent);

    CircuitList m_circuits;
    SiteNameIndex<CircuitList> m_circuitIndex;
    Cursor<CircuitList> m_circuitCursor;
    Cursor<TheaterList> m_theaterCursor;
    Cursor<ScreenList> m_screenCursor;
    CircuitEntry* m_pCircuit = nullptr;
    TheaterEntry* m_pTheater = nullptr;
    std::string* m_pScreen = nullptr;
};
