// Makes PopAds (popads.net) look loaded without it: the PopAds and popns
// globals hold inert objects for the rest of the page's life, so pages that
// check for them find them, and a real PopAds script loaded later can neither
// replace them nor start through them.
(function() {
    'use strict';
    ['PopAds', 'popns'].forEach(function(name) {
        var dummy = Object.freeze({});
        try {
            Object.defineProperty(window, name, {
                configurable: false,
                enumerable: true,
                get: function() {
                    return dummy;
                },
                set: function() {},
            });
        } catch (error) {
            // The page locked the name first: nothing to take over.
        }
    });
})();
