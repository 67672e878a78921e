// Stands in for Google AdSense's adsbygoogle.js. Pages push one object per
// <ins class="adsbygoogle"> slot, or page-level settings, to `adsbygoogle`;
// here pushes are accepted and no ad is fetched. Slots are marked as handled,
// as the library marks them, so the page does not push them again. For the
// H5 Games Ads API, adConfig's onReady runs and adBreak ends at once with
// adBreakDone (no ad was available).
(function() {
    'use strict';

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, args) {
        try {
            callback.apply(null, args);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    var markSlots = function() {
        if (!window.document || typeof document.querySelectorAll !== 'function') {
            return;
        }
        var slots = document.querySelectorAll('ins.adsbygoogle:not([data-adsbygoogle-status])');
        Array.prototype.forEach.call(slots, function(slot) {
            slot.setAttribute('data-adsbygoogle-status', 'done');
        });
    };

    var handle = function(entry) {
        if (!entry || typeof entry !== 'object') {
            return;
        }
        if (typeof entry.onReady === 'function') {
            run(entry.onReady, []);
        }
        if (typeof entry.adBreakDone === 'function') {
            run(entry.adBreakDone, [{
                breakType: entry.type,
                breakName: entry.name || '',
                breakFormat: entry.type === 'reward' ? 'reward' : 'interstitial',
                breakStatus: 'noAdPreloaded',
            }]);
        }
        markSlots();
    };

    var queued = Array.isArray(window.adsbygoogle) ? window.adsbygoogle.slice() : [];
    var adsbygoogle = [];
    adsbygoogle.loaded = true;
    adsbygoogle.push = function() {
        Array.prototype.forEach.call(arguments, handle);
        return this.length;
    };
    window.adsbygoogle = adsbygoogle;
    queued.forEach(handle);
})();
