// Stands in for Amazon Publisher Services' apstag.js: the page's loader stub
// queues init and fetchBids calls in apstag._Q; this answers every bid request
// with no bids, so the page goes on to request its ad server without them.
(function() {
    'use strict';
    var noop = function() {};

    // fetchBids(config, callback): the callback receives the bids, asynchronously.
    var fetchBids = function(config, callback) {
        if (typeof callback === 'function') {
            setTimeout(function() {
                callback([]);
            }, 1);
        }
    };

    var queued = window.apstag && Array.isArray(window.apstag._Q) ? window.apstag._Q : [];
    window.apstag = {
        _Q: [],
        init: noop,
        fetchBids: fetchBids,
        setDisplayBids: noop,
        targetingKeys: function() {
            return [];
        },
        renderImp: noop,
        punt: noop,
        dpa: noop,
        rpa: noop,
        upa: noop,
    };

    // The stub queues ['i', arguments] for init and ['f', arguments] for fetchBids.
    queued.forEach(function(entry) {
        if (Array.isArray(entry) && entry[0] === 'f' && entry[1]) {
            fetchBids(entry[1][0], entry[1][1]);
        }
    });
})();
