// Defuses PopAds (popads.net), whose script opens pop-under windows. Its code
// runs through the PopAds and popns globals; from now on any script touching
// them stops with an error at that point, so a copy of PopAds that is bundled
// into the page or loaded under another name cannot start. This script itself
// only defines the globals and does not throw.
(function() {
    'use strict';
    var stop = function() {
        throw new ReferenceError('PopAds is not available');
    };
    ['PopAds', 'popns'].forEach(function(name) {
        try {
            Object.defineProperty(window, name, {
                configurable: false,
                get: stop,
                set: stop,
            });
        } catch (error) {
            // The page locked the name first: nothing to take over.
        }
    });
})();
