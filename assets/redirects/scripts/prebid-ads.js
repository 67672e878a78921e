// Stands in for the "ads.js" bait file that pages load to learn whether an ad
// blocker is present: the bait sets these flags, so the page sees it loaded.
(function() {
    'use strict';
    window.canRunAds = true;
    window.isAdBlockActive = false;
})();
