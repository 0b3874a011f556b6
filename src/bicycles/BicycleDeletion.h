#pragma once
// Deleting a bicycle with everything that belongs to it. The store removes
// the bicycle, its rides and its maintenance entries but knows nothing of
// files; the memo folders of those rides and entries are removed here. Left
// behind, a folder would be found again by the next record that receives its
// number (new records take the largest number plus one) and show that record
// another ride's memo and pictures.

// Collects the numbers of the bicycle's rides and maintenance entries, deletes
// the bicycle through the store and, only once that succeeded, removes the
// memo folders of those records. Returns the store's result; when the
// numbers cannot be read nothing is deleted and 99 is returned. A failed
// delete leaves every folder in place.
int DeleteBicycleWithMemoFolders(int bicycleNumber);
