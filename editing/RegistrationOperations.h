#pragma once

class RegistrationEdges;
class SiteList;
class SiteRecord;

// Registering, updating and deleting sites in the register in memory. The register reaches the
// disk only when the window closes, so nothing here saves.
class RegistrationOperations
{
public:
    RegistrationOperations(SiteList &sites, RegistrationEdges &edges);

    // Appends the fields as a new site; refuses a missing name or URL (the name is reported first)
    // and text the register cannot hold.
    void RegisterNewSite();
    // Replaces the site in the current row with the fields, once the user confirms; refuses what
    // registering refuses. The question names the site as stored, not as the fields now say.
    void UpdateSite();
    // Removes the site in the current row, once the user confirms; the others keep their order.
    void DeleteSite();

private:
    // The fields as a record, their URL completed (and shown so); false when they are refused: the
    // reason has been shown and the user sent to the field it is about.
    bool acceptFields(SiteRecord &record);
    // The current row as a list position, or -1 when there is no row to act on.
    int currentPosition() const;
    // Asks the question `pattern` builds around the stored name at `position` (in place of %1).
    bool confirm(int position, const char *pattern);

    SiteList &m_sites;
    RegistrationEdges &m_edges;
};
